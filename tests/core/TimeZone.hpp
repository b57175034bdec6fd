#pragma once

#include <cstdlib>
#include <ctime>
#include <string>

// Pins the process time zone for the life of the object. POSIX zone texts
// such as "JST-9" mean the same to glibc and to the Windows CRT.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone)
    {
        if (const char* old = std::getenv("TZ"))
            m_old = old;
        Set(zone);
    }
    ~ScopedTimeZone() { Set(m_old.empty() ? nullptr : m_old.c_str()); }

private:
    static void Set(const char* zone)
    {
#ifdef _WIN32
        _putenv_s("TZ", zone ? zone : "");
        _tzset();
#else
        if (zone)
            setenv("TZ", zone, 1);
        else
            unsetenv("TZ");
        tzset();
#endif
    }
    std::string m_old;
};
