#include "HelpWords.hpp"

namespace quilvex {

const HelpWords kPosixHelpWords{
    {{{"{stop-signals}", "SIGINT, SIGTERM, SIGHUP, SIGQUIT or SIGUSR2"},
      {"{port-names}", "COMn (on Linux /dev/ttyS(n-1)) or a device path such as /dev/ttyUSB0"},
      {"{port-columns}", "serial number and /dev/serial/by-id name"}}},
    "",
    R"(
Examples:
  quilvex-nmea --port /dev/ttyUSB0 --rate 9600   a serial port
  quilvex-nmea --tcp 10110                       NMEA over TCP on 127.0.0.1:10110
  quilvex-nmea --udp 127.0.0.1:10111             one datagram per tick
  quilvex-nmea --pty /tmp/gps                    a virtual serial port at /tmp/gps
  quilvex-nmea --port COM3 --tcp 0.0.0.0:10110 --udp 192.168.1.255:10110 --pty /tmp/gps
                                                 all at once
  quilvex-nmea --format standard --position -33.8568,151.2153,58 --tcp 10110
                                                 Sydney, with the sky
  quilvex-nmea --speed 12 --course 45 --fix-loss 30+10 --pty /tmp/gps
                                                 under way north-east, no fix at ticks 30-39
With any of these the run goes on until stopped (Ctrl+C, SIGTERM, SIGHUP,
SIGQUIT or SIGUSR2) unless --count is given; what still waits to leave gets a
moment, and a second stop signal cuts that short; a stop signal the program
cannot take within 2 s ends it by force (status 1). SIGUSR1 switches the fix
off, and the next one on again. On a terminal, standard error gets a start
line, a status line while the program is in the foreground, and a summary at
the end (none of them with --quiet).
)"};

const HelpWords kWindowsHelpWords{
    {{{"{stop-signals}", "Ctrl+C, Ctrl+Break or closing the console window"},
      {"{port-names}", "COMn, such as COM3"},
      {"{port-columns}", "serial number"}}},
    "pty",
    R"(
Examples:
  quilvex-nmea --port COM3 --rate 9600           a serial port
  quilvex-nmea --tcp 10110                       NMEA over TCP on 127.0.0.1:10110
  quilvex-nmea --udp 127.0.0.1:10111             one datagram per tick
  quilvex-nmea --port COM3 --tcp 0.0.0.0:10110 --udp 192.168.1.255:10110
                                                 all at once
  quilvex-nmea --format standard --position -33.8568,151.2153,58 --tcp 10110
                                                 Sydney, with the sky
  quilvex-nmea --speed 12 --course 45 --fix-loss 30+10 --port COM3
                                                 under way north-east, no fix at ticks 30-39
With any of these the run goes on until stopped (Ctrl+C, Ctrl+Break or
closing the console window) unless --count is given; what still waits to
leave gets a moment, and a second Ctrl+C cuts that short; a stop the program
cannot take within 2 s ends it by force (status 1). The fix goes away with
--fix-loss, or with the window's menu item 測位を止める. A virtual serial port
is one end of a virtual COM port pair (a driver such as com0com) given to
--port, or use --tcp. In a console, standard error gets a start line, a
status line and a summary at the end (none of them with --quiet).
)"};

}  // namespace quilvex
