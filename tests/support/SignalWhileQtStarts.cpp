// Preloaded into quilvex-nmea by its tests: SIGUSR1 comes while Qt starts
// (as it sets the C library's locale), as a signal sent just after exec may.
#include <clocale>
#include <csignal>
#include <dlfcn.h>

extern "C" char* setlocale(int category, const char* locale)
{
    static bool raised = false;
    if (!raised && category == LC_ALL && locale && !*locale) {
        raised = true;
        std::raise(SIGUSR1);
    }
    using Setlocale = char* (*)(int, const char*);
    static const auto next = reinterpret_cast<Setlocale>(::dlsym(RTLD_NEXT, "setlocale"));
    return next(category, locale);
}
