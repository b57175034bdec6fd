#pragma once

#include "HelpWords.hpp"

#include <array>
#include <string>
#include <string_view>

namespace quilvex {

// Every option of quilvex-nmea, once. The parser, --help and the man page's
// OPTIONS section are all made from these rows, and a test finds each name
// in README.md, so none of them can tell another story.
struct OptionRow {
    std::string_view name;       // without the leading --
    std::string_view value;      // what it takes, as the help names it; empty for a switch
    bool repeatable;
    std::string_view conflicts;  // options it cannot go with, blank-separated (either row may say so)
    std::string_view needs;      // the option it goes with only, if any; NAME=VALUE: only with that value
    std::string_view help;       // one paragraph; OptionHelp fills in the {braces}, ranges from SettingRules
    char letter = 0;             // a one-letter form, such as -h
    std::string_view unmet = {}; // why it needs `needs`, for the message
    std::string_view needless = {};  // its own value that needs nothing (the default), if any
};

inline constexpr std::array kOptionTable{
    OptionRow{"help", "", false, "", "", "Show this help and end.", 'h'},
    OptionRow{"version", "", false, "", "", "Show the version and end."},
    OptionRow{"pref", "NAME|SLOT", false, "", "",
              "The prefecture whose seat is the place: its Japanese name, its romanisation in any letter "
              "case (tokyo, Hokkaido) or its slot 1 to 47 (default {default-pref}); --list shows them."},
    OptionRow{"position", "LAT,LON[,ALT]", false, "pref", "",
              "Any place instead of a seat: signed decimal degrees, south and west negative, and metres "
              "above mean sea level, such as -33.8568,151.2153,58 or 40.6892,-74.0445."},
    OptionRow{"speed", "KNOTS", false, "", "",
              "Speed over ground, {speed-range}, such as 12: the place moves along a rhumb line on the WGS84 "
              "ellipsoid, each second by what the speed covers (12 kn: 6.17 m)."},
    OptionRow{"course", "DEGREES", false, "", "speed",
              "True course, {course-range}, such as 45 (default 0); only with --speed. Over a pole the track "
              "goes on down the far side, its course turned round (45 becomes 135, 0 becomes 180); at a pole "
              "a course of 90 or 270 goes nowhere, so the place stays at the pole.",
              0, "without a speed the receiver stands still, on no course"},
    OptionRow{"fix-loss", "AFTER+FOR", true, "", "",
              "No fix for FOR ticks from tick AFTER on, counted from the first tick, tick 0: 30+10 is ticks 30 "
              "to 39. Tick N is the Nth tick of the run (with --start, the one stamped N seconds after the "
              "first), never read from the wall clock, so a step of the clock moves no window; the motion "
              "follows the same count. With --hz above 1 these are seconds of the run, each with all its "
              "epochs. May be given again."},
    OptionRow{"route", "FILE", false, "position pref course replay", "speed",
              "Drive along a route at --speed (above 0): FILE is GPX (the points of its first rte; else of its "
              "first trk, every segment in order; else its wpts) or plain text with one LAT,LON[,ALT] a line, "
              "blank lines and # comments allowed, told apart by content; a point that cannot be refuses the file. Each leg is a rhumb line on the WGS84 "
              "ellipsoid travelled on its bearing, across the antimeridian the short way; altitude goes linearly where both points "
              "have one. At the last point the receiver stays, with speed 0 and its fix.",
              0, "a route is driven at a speed"},
    OptionRow{"replay", "FILE", false, "position pref speed course", "",
              "Replay a recorded trip, an NMEA 0183 log (RMC and GGA of any talker) or a GPX track whose points "
              "carry a time, with the run's own time stamps: the log's first fix at the first tick, its time "
              "then mapped to the run's. Between fixes the place moves along the geodesic (the shortest "
              "way on the WGS84 ellipsoid); a recorded loss of the fix, or a gap of more than 10 s, gives no-fix ticks. Lines with a bad checksum, cut short "
              "or of other sentences are passed over and counted in one notice at the end. The log is read as "
              "a stream; a FIFO is read if its writer's first bytes come within 3 s, else refused. The run "
              "ends with the log (status 0)."},
    OptionRow{"pace", "N", false, "", "replay", "Play the log N times faster, {pace-range} (default 1)."},
    OptionRow{"loop", "", false, "", "",
              "With --route or --replay: from the end, go round again from the start."},
    OptionRow{"format", "classic|standard", false, "", "",
              "classic (the default) sends the six sentences as Quilvex always did: the ZDA zone fields carry "
              "the local hour and the UTC minute; GGA says 8 satellites, HDOP 0.9, age 5.0 and station 1012; "
              "GSA lists no satellites and DOPs of 0; VTG and RMC give a magnetic course and variation of 0. "
              "standard sends NMEA 0183 v2.3 (or 4.10 or 4.11: see --nmea): ZDA with zone 00,00; GGA with the satellites used and the HDOP "
              "of the model sky; GSA with the PRNs used and PDOP, HDOP, VDOP; VTG and RMC with empty magnetic "
              "fields, VTG's km/h to a thousandth; then the sky in one to four GSV sentences. Without a fix "
              "both send empty sentences after ZDA (GGA quality 0, GLL and RMC status V, GSA mode 1, DOPs "
              "99.99), and standard keeps its GSV with no signal strengths."},
    OptionRow{"hz", "N", false, "", "format=standard",
              "Ticks a second: {update-rates} (default 1), on the grid of the UTC second, the first of each "
              "second at .00 and each stamped with its epoch (hhmmss.10; hhmmss.05 at 20 Hz; with --at or "
              "--start the stamps advance by 1/N s). Every epoch has a fresh place, speed and course (the "
              "motion, the route, the replayed log at that instant) and the fix sentences GGA, GLL, VTG, RMC "
              "and GSA; ZDA and the GSV groups go once a second, with the first epoch of the second, as "
              "receiver modules at high rates do. --count counts epochs; --fix-loss and the status line count "
              "seconds. Above 1 only with --format standard. On a serial --port the longest second of ticks "
              "at N Hz must fit 90 % of a second of the line: else the run is refused (status 2), naming "
              "the highest --hz that fits its --rate and the --rate that fits N.",
              0, "the classic stream is the original's, once a second", "1"},
    OptionRow{"talker", "GP|GN", false, "", "",
              "The talker of every sentence but GSV (default GP); NMEA 4.10 and 4.11 send GN."},
    OptionRow{"gnss", "LIST", false, "", "format=standard",
              "The satellite systems the receiver tracks: any of gps, glonass, galileo, beidou and qzss, "
              "comma-separated, or all (default gps). Each is a model of its nominal constellation; in each "
              "time system (GPS with QZSS, GLONASS, Galileo, BeiDou) the twelve highest satellites above 5 deg "
              "are used, and the DOPs are solved with one clock for each. More than GPS is sent as NMEA 4.11 "
              "unless --nmea says 4.10.",
              0, "the classic format sends no sky"},
    OptionRow{"nmea", "2.3|4.10|4.11", false, "", "format=standard",
              "The dialect of the standard format: 2.3 (the default for GPS alone), or 4.10 or 4.11 as "
              "current receiver modules send them: GN fix sentences, one GSA for each system with its system "
              "ID, GSV for each system with its talker and signal ID, RMC with a navigational status. 2.3 "
              "cannot go with more than GPS, since it cannot say which system a satellite belongs to.",
              0, "the classic format has no dialects"},
    OptionRow{"list", "", false,
              "list-ports pref position speed course fix-loss format talker gnss nmea at start count port rate tcp "
              "udp pty route replay pace loop hz",
              "",
              "List the 47 slots: slot, name, latitude text, longitude text, romanisation; a header line "
              "first when standard output is a terminal."},
    OptionRow{"list-ports", "", false,
              "pref position speed course fix-loss format talker gnss nmea at start count port rate tcp udp pty "
              "route replay pace loop hz",
              "",
              "List the serial ports this system has: the text to give --port, description, manufacturer, "
              "{port-columns}; a header line first when standard output is a terminal."},
    OptionRow{"at", "INSTANT", false, "start", "",
              "A fixed UTC instant {instant-range}, such as 2010-09-16T04:51:35.127Z, instead of the clock; "
              "each further tick "
              "is one second later (1/N s with --hz N). Stamped ticks go as fast as standard output or a serial port "
              "takes them, "
              "and every other output gets those same ticks, skipping those it cannot take; when neither is "
              "among the outputs (only TCP, UDP or virtual ports), one goes each second (N with --hz N)."},
    OptionRow{"start", "INSTANT", false, "", "",
              "Real-time ticks, still at each whole second of the clock (each epoch with --hz), stamped from a whole-second UTC "
              "instant on ({instant-range}), such as 2026-12-31T23:59:50Z: each carries INSTANT plus the "
              "whole seconds (with --hz N, the epochs of 1/N s) the "
              "monotonic clock counted since the first tick, so a step of the wall clock moves no stamp, and "
              "every output gets one tick a second (N with --hz N). Reaching the end of year 9999 ends the run with status "
              "2, as with --at."},
    OptionRow{"count", "N", false, "", "",
              "N ticks (with --hz, epochs: --hz 10 --count 50 is 5 s); 0 runs until stopped by {stop-signals}. "
              "Default: 1 to "
              "standard output alone (with --replay, every tick to the log's end); until stopped with any "
              "other output."},
    OptionRow{"port", "PORT", false, "", "",
              "Send to a serial port: {port-names}. "
              "tcp://[HOST]:PORT, as the window takes it, serves TCP as --tcp [HOST]:PORT does. A real-time "
              "tick is skipped whole while the previous one still waits to leave the port."},
    OptionRow{"rate", "RATE", false, "", "port",
              "Line rate in bit/s of a serial --port, 1 to {highest-rate} (default {default-rate}), no "
              "parity, 8 data bits, 1 stop bit; a rate the port's driver refuses is an output failure "
              "(status 1). A rate too slow for the longest standard tick within 90 % of a second (GPS "
              "alone, 12 satellites used, 16 in view: below {whole-tick-rate} bit/s; more with --gnss) gets each standard tick's sentences "
              "before the sky and one GSV sentence, the next of the group each tick (at --hz 1; above, such a "
              "rate is refused). Every other output gets "
              "whole ticks."},
    OptionRow{"tcp", "[HOST:]PORT", true, "", "",
              "Serve the sentences over TCP, to at most 32 clients. Without HOST it listens on 127.0.0.1 "
              "only: nothing is reachable from other machines unless you name an address such as 0.0.0.0, "
              ":: or one interface's. HOST may be a name, looked up once before the run starts; the run uses "
              "its first address, IPv4 first, named in the start line. What clients send is thrown away; a "
              "client that closed only its sending side is still served; one that takes nothing for 10 s is "
              "disconnected. May be given again for another address."},
    OptionRow{"udp", "HOST:PORT", true, "", "",
              "Send each tick as one datagram from a socket connected to HOST:PORT, which takes in nothing "
              "from anyone else; a broadcast address works when named, and nobody listening there is no "
              "failure (it is told once). HOST may be a name, as with --tcp. May be given again."},
    OptionRow{"pty", "PATH", false, "", "",
              "(Linux only) Make a virtual serial port: a raw pseudo-terminal linked at PATH, which must not "
              "exist, except for a link a killed run left to a pseudo-terminal that is gone, which is "
              "replaced. The link is removed when the run ends. Another user's symbolic link on the way, in a "
              "directory anyone may write to such as /tmp, is not followed. While no program has the port "
              "open its ticks go nowhere and none is kept for the next reader; a reader that holds it open "
              "without reading is a held line."},
    OptionRow{"quiet", "", false, "", "",
              "Nothing on standard error but errors: no start line, notices, status line or summary."},
};

// The row of a long name ("pref") or a letter ("h"), or nothing.
const OptionRow* FindOption(std::string_view name);

// Whether the two options cannot go together, as either row says.
bool Conflicting(const OptionRow& a, const OptionRow& b);

// The row's help paragraph with its numbers and the system's words filled in.
std::string OptionHelp(const OptionRow& row, const HelpWords& words);

// The whole --help text, in one system's words.
std::string HelpText(const HelpWords& words);

// The man page's OPTIONS and EXIT STATUS sections, in roff.
std::string ManPageOptions();
std::string ManPageExitStatus();

// The exit statuses as README.md's table has them, in Markdown, and their
// ranking: "1, 3, 2", the first that applies when a run ends for more than one reason.
std::string MarkdownExitStatus();
std::string StatusOrder();

}  // namespace quilvex
