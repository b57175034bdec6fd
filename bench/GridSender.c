/* A bare sender to set quilvex-nmea's timing beside: it sleeps to each epoch
 * of the UTC second's grid at N Hz with clock_nanosleep(TIMER_ABSTIME) and
 * writes one line naming the epoch, padded to BYTES (a tick's worth, since
 * the terminal layer takes longer over more bytes), from the next whole
 * second on.
 *
 *   quilvex_grid_sender PATH HZ COUNT BYTES */
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

int main(int argc, char** argv)
{
    if (argc != 5)
        return 2;
    const int fd = open(argv[1], O_WRONLY | O_NOCTTY);
    const long long hz = atoll(argv[2]), count = atoll(argv[3]);
    const int bytes = atoi(argv[4]);
    if (fd < 0 || hz <= 0 || bytes < 32 || bytes > 4096)
        return 1;
    const long long period = 1000000000LL / hz;
    struct timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    long long next = (now.tv_sec + 1) * 1000000000LL;
    for (long long i = 0; i < count; ++i, next += period) {
        const struct timespec at = {next / 1000000000LL, next % 1000000000LL};
        while (clock_nanosleep(CLOCK_REALTIME, TIMER_ABSTIME, &at, NULL) != 0) {
        }
        char line[4096];
        int n = snprintf(line, sizeof line, "$BARE,%lld.%03lld,", next / 1000000000LL, next % 1000000000LL / 1000000LL);
        memset(line + n, 'x', (size_t)(bytes - 2 - n));
        memcpy(line + bytes - 2, "\r\n", 2);
        if (write(fd, line, (size_t)bytes) != bytes)
            return 1;
    }
    return 0;
}
