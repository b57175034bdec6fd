/* A bare sender to set quilvex-nmea's timing beside: it sleeps to each epoch
 * of the UTC second's grid at N Hz with clock_nanosleep(TIMER_ABSTIME) and
 * writes one line naming the epoch, from the next whole second on.
 *
 *   quilvex_grid_sender PATH HZ COUNT */
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

int main(int argc, char** argv)
{
    if (argc != 4)
        return 2;
    const int fd = open(argv[1], O_WRONLY | O_NOCTTY);
    const long long hz = atoll(argv[2]), count = atoll(argv[3]);
    if (fd < 0 || hz <= 0)
        return 1;
    const long long period = 1000000000LL / hz;
    struct timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    long long next = (now.tv_sec + 1) * 1000000000LL;
    for (long long i = 0; i < count; ++i, next += period) {
        const struct timespec at = {next / 1000000000LL, next % 1000000000LL};
        while (clock_nanosleep(CLOCK_REALTIME, TIMER_ABSTIME, &at, NULL) != 0) {
        }
        char line[64];
        const int n = snprintf(line, sizeof line, "$BARE,%lld.%03lld\r\n", next / 1000000000LL,
                               next % 1000000000LL / 1000000LL);
        if (write(fd, line, (size_t)n) != n)
            return 1;
    }
    return 0;
}
