/* A bare Windows program that sleeps to each whole UTC second the way
 * quilvex's SecondTimer does (1 ms timer period, a wait to 3 ms before the
 * second, the rest on a high-resolution waitable timer), and prints how late
 * after the second it woke, in ms. For comparing the tick phase under Wine. */
#include <windows.h>
#include <timeapi.h>
#include <stdio.h>
#include <stdlib.h>

#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

static long long Now100ns(void)
{
    FILETIME ft;
    GetSystemTimePreciseAsFileTime(&ft);
    return ((long long)ft.dwHighDateTime << 32) | ft.dwLowDateTime;
}

static void WaitFor(HANDLE timer, long long span100ns)
{
    LARGE_INTEGER due;
    due.QuadPart = -span100ns;
    if (timer && SetWaitableTimer(timer, &due, 0, NULL, NULL, FALSE))
        WaitForSingleObject(timer, INFINITE);
    else
        Sleep((DWORD)(span100ns / 10000));
}

int main(int argc, char** argv)
{
    const int count = argc > 1 ? atoi(argv[1]) : 30;
    HANDLE timer = CreateWaitableTimerExW(NULL, NULL, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION, TIMER_ALL_ACCESS);
    timeBeginPeriod(1);
    for (int i = 0; i < count; ++i) {
        const long long target = (Now100ns() / 10000000 + 1) * 10000000;
        const long long lead = 30000; /* 3 ms, as SecondTimer arms its timer early */
        if (target - Now100ns() > lead)
            Sleep((DWORD)((target - lead - Now100ns()) / 10000));
        for (long long left; (left = target - Now100ns()) > 0;)
            WaitFor(timer, left);
        printf("%.3f\n", (Now100ns() - target) / 10000.0);
        fflush(stdout);
    }
    timeEndPeriod(1);
    return 0;
}
