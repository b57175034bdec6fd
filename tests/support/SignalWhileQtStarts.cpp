// Preloaded into quilvex-nmea by its tests: SIGUSR1 comes while Qt starts
// (as it sets the C library's locale), as a signal sent just after exec may.
// With QUILVEX_STOP_WHILE_BUSY set it is SIGTERM instead, and the program
// then stays busy longer than the forced exit waits.
#include <clocale>
#include <csignal>
#include <cstdlib>
#include <dlfcn.h>
#include <unistd.h>

extern "C" char* setlocale(int category, const char* locale)
{
    static bool raised = false;
    if (!raised && category == LC_ALL && locale && !*locale) {
        raised = true;
        const bool busy = std::getenv("QUILVEX_STOP_WHILE_BUSY") != nullptr;
        std::raise(busy ? SIGTERM : SIGUSR1);
        for (unsigned left = busy ? 10 : 0; left > 0;)
            left = ::sleep(left);
    }
    using Setlocale = char* (*)(int, const char*);
    static const auto next = reinterpret_cast<Setlocale>(::dlsym(RTLD_NEXT, "setlocale"));
    return next(category, locale);
}
