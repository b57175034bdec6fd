#include "NmeaOptions.hpp"

#include "ConsolePlatform.hpp"
#include "InstantText.hpp"
#include "ReceiverTexts.hpp"
#include "RouteFile.hpp"
#include "Sentences.hpp"

#include <QCommandLineParser>

#include <algorithm>
#include <map>
#include <set>

namespace quilvex {
namespace {

// Options that may be given more than once; every other one at most once.
const std::set<QString> kRepeatable{"tcp", "udp", "fix-loss"};

// Options that cannot go together: the first with each of the others.
const struct {
    QString option;
    QStringList with;
} kConflicts[] = {
    {"list", {"list-ports", "port", "rate", "tcp", "udp", "pty", "count", "at", "start", "format", "talker",
              "position", "speed", "course", "fix-loss", "route", "replay", "pace", "loop"}},
    {"list-ports", {"port", "rate", "tcp", "udp", "pty", "count", "at", "start", "format", "talker", "position",
                    "speed", "course", "fix-loss", "route", "replay", "pace", "loop"}},
    {"position", {"pref"}},
    {"route", {"position", "pref", "course", "replay"}},
    {"replay", {"position", "pref", "speed", "course"}},
    {"start", {"at"}},
};

// One rule for --at, in the same words as the README and the man page.
constexpr const char* kStampedRule =
    "Stamped ticks go as fast as standard output or a serial port takes them, and every other output gets "
    "those same ticks, skipping those it cannot take; when neither is among the outputs (only TCP, UDP or "
    "virtual ports), one goes each second.";

constexpr const char* kHelpEnd = R"(
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
SIGQUIT or SIGUSR2) unless --count is given; a stop signal the program
cannot take within 2 s ends it by force (status 1). SIGUSR1 switches the fix
off, and the next one on again.

Exit status:
  0  done: the count reached, or a stop signal, and every byte out
  1  an output failed: it could not be opened, went away, or refused a write;
     or a stop signal found the program busy for 2 s
  2  a bad command line
  3  bytes still held at the end (a stopped line, a standard output nobody reads)
)";

// An exact name, its romanisation in any case, or a slot number 1 to 47.
std::optional<int> SlotOf(const std::string& pref)
{
    if (const int slot = LookupPrefecture(pref); slot != 0)
        return slot;
    if (const int slot = LookupPrefectureLatin(pref); slot != 0)
        return slot;
    const auto number = WholeNumber(pref);
    if (number && *number >= kFirstSlot && *number <= kLastSlot)
        return static_cast<int>(*number);
    return std::nullopt;
}

NmeaCommand Fail(std::string message, int status = kExitUsage)
{
    return {NmeaCommand::Action::Fail, {}, "quilvex-nmea: " + std::move(message), status};
}

bool IsIPv6(const std::string& host)
{
    return host.find(':') != std::string::npos;
}

// A server on the wildcard address of a family listens on each of its addresses.
bool Overlap(const NetworkAddress& a, const NetworkAddress& b)
{
    auto covers = [](const std::string& wildcard, const std::string& host) {
        return (wildcard == "0.0.0.0" && !IsIPv6(host)) || (wildcard == "::" && IsIPv6(host));
    };
    return a.port == b.port && (a.host == b.host || covers(a.host, b.host) || covers(b.host, a.host));
}

// Each text as an address with a numeric host, in the order given; the
// first pair that names one address twice is refused.
std::optional<NmeaCommand> Resolve(const char* option, const QStringList& texts, std::string_view defaultHost,
                                   std::vector<NetworkTarget>& targets, bool tcp)
{
    for (const QString& value : texts) {
        const std::string given = value.toStdString();
        auto address = ParseNetworkAddress(given, defaultHost);
        if (!address || (!tcp && !value.contains(':')))
            return Fail(std::string(option) +
                        (tcp ? " takes [HOST:]PORT with a port from 1 to 65535, not \""
                             : " takes HOST:PORT, such as 127.0.0.1:10110, not \"") +
                        given + "\"");
        const HostLookup lookup = LookUpHost(address->host);
        switch (lookup.outcome) {
        case HostLookup::Outcome::NoSuchName:
            return Fail(std::string(option) + " " + given + ": no host named \"" + address->host + "\" (" +
                        lookup.reason + ")");
        case HostLookup::Outcome::NoAnswer:
            return Fail(std::string(option) + " " + given + ": cannot look up \"" + address->host + "\": " +
                            lookup.reason,
                        kExitOutputFailed);
        case HostLookup::Outcome::Found:
        case HostLookup::Outcome::Numeric:
            break;
        }
        NetworkTarget target{given, lookup.outcome == HostLookup::Outcome::Found ? address->host : "",
                             {lookup.address, address->port}};
        for (const NetworkTarget& earlier : targets) {
            if (tcp ? Overlap(earlier.address, target.address)
                    : earlier.address.host == target.address.host && earlier.address.port == target.address.port)
                return Fail(std::string(option) + " " + target.text() + " is given twice: \"" + earlier.given +
                            "\" and \"" + given + "\"");
        }
        targets.push_back(std::move(target));
    }
    return std::nullopt;
}

// --route read into the receiver, or --replay opened up to its first fix.
std::optional<NmeaCommand> ReadTrip(const QCommandLineParser& parser, const QCommandLineOption& route,
                                    const QCommandLineOption& replay, const QCommandLineOption& pace,
                                    const QCommandLineOption& loop, NmeaOptions& o)
{
    const auto problem = [](const char* option, const QString& file, const FileProblem& p) {
        return Fail(std::string(option) + " " + file.toStdString() + ": " + p.message,
                    p.unreadable ? kExitOutputFailed : kExitUsage);
    };
    if (parser.isSet(pace) && !parser.isSet(replay))
        return Fail("--pace goes with --replay");
    if (parser.isSet(loop) && !parser.isSet(route) && !parser.isSet(replay))
        return Fail("--loop goes with --route or --replay");
    const auto n = WholeNumber(parser.value(pace).toStdString());
    if (parser.isSet(pace) && (!n || *n < 1 || *n > 100))
        return Fail("--pace takes a whole number from 1 to 100, not \"" + parser.value(pace).toStdString() + "\"");
    if (parser.isSet(route)) {
        if (!(o.receiver.speedKnots > 0))
            return Fail("--route needs --speed above 0");
        auto points = ReadRouteFile(parser.value(route));
        if (auto* p = std::get_if<FileProblem>(&points))
            return problem("--route", parser.value(route), *p);
        o.receiver.route = std::make_shared<const Route>(std::move(std::get<std::vector<GeoPoint>>(points)),
                                                         parser.isSet(loop));
        o.routeFile = parser.value(route).toStdString();
    }
    if (parser.isSet(replay)) {
        auto player = ReplayPlayer::open(parser.value(replay), static_cast<int>(n.value_or(1)), parser.isSet(loop));
        if (auto* p = std::get_if<FileProblem>(&player))
            return problem("--replay", parser.value(replay), *p);
        o.replay = std::get<std::shared_ptr<ReplayPlayer>>(player);
        o.replayFile = parser.value(replay).toStdString();
    }
    return std::nullopt;
}

}  // namespace

std::string NetworkTarget::text() const
{
    return NetworkAddressText(address);
}

NmeaCommand ParseNmeaCommand(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Prints or sends the NMEA 0183 sentences of a stand-in GPS receiver, once a second.");
    const QCommandLineOption help({"h", "help"}, "Show this help.");
    const QCommandLineOption version("version", "Show the version.");
    const QCommandLineOption pref("pref", "Prefecture by Japanese name, romanisation (Tokyo) or slot 1-47 (default " +
                                              QString::fromUtf8(kDefaultPrefecture.data(), kDefaultPrefecture.size()) + ").",
                                  "NAME|SLOT");
    const QCommandLineOption list("list", "List the 47 slots: slot, name, latitude, longitude, romanisation.");
    const QCommandLineOption listPorts("list-ports", "List the serial ports this system has.");
    const QCommandLineOption at("at", QString("Fixed UTC instant ") + kInstantRangeText.data() + QString(", e.g. 2010-09-16T04:51:35.127Z, instead of the clock; each further tick is one second later. ") + kStampedRule, "INSTANT");
    const QCommandLineOption start("start", QString("Real-time ticks, at each whole second of the clock, stamped from this whole-second UTC instant (") + kInstantRangeText.data() + ") on, e.g. 2026-12-31T23:59:50Z: each carries INSTANT plus the seconds gone by since the first tick on the monotonic clock; not with --at.", "INSTANT");
    const QCommandLineOption format("format", "classic (default): the six sentences Quilvex always sent; standard: NMEA 0183 v2.3, with the satellites used (GSA) and in view (GSV) of a model sky, not the real one.", "classic|standard");
    const QCommandLineOption talker("talker", "Talker of every sentence but GSV: GP (default) or GN.", "GP|GN");
    const QCommandLineOption position("position", "Any place instead of a prefectural seat: signed decimal degrees (south and west negative) and metres above mean sea level, e.g. -33.8568,151.2153,58; not with --pref.", "LAT,LON[,ALT]");
    const QCommandLineOption speed("speed", "Speed over ground in knots, 0 to 1000: the place moves along a rhumb line.", "KNOTS");
    const QCommandLineOption course("course", "True course in degrees, 0 to under 360 (default 0); with --speed only. At a pole a course of 90 or 270 goes nowhere.", "DEGREES");
    const QCommandLineOption fixLoss("fix-loss", "No fix for FOR ticks from tick AFTER on, counted in ticks from the first (tick 0; with --start, seconds of the monotonic clock), never from the wall clock: 30+10 is ticks 30 to 39; may be given again. SIGUSR1 switches the fix off and on.", "AFTER+FOR");
    const QCommandLineOption count("count", "Number of ticks; 0 runs until stopped. Default: 1 to standard output alone; until stopped with --port, --tcp, --udp or --pty.", "N");
    const QCommandLineOption port("port", "Send to this port (COM1..., or a device path) instead of standard output.", "PORT");
    const QCommandLineOption rate("rate", "Line rate in bit/s with --port, 1 to " + QString::number(kHighestRate) + " (default " +
                                              QString::fromLatin1(kDefaultRate.data(), kDefaultRate.size()) +
                                              "). Below " + QString::number((WidestStandardTick().whole * 100 + 8) / 9) + " bit/s"
                                              " the standard sentences carry their sky one GSV sentence a tick.",
                                  "RATE");
    const QCommandLineOption tcp("tcp", "Serve NMEA over TCP on [HOST:]PORT (host 127.0.0.1 unless given; a name is looked up once); may be given again.", "[HOST:]PORT");
    const QCommandLineOption udp("udp", "Send each tick as one UDP datagram to HOST:PORT; may be given again.", "HOST:PORT");
    const QCommandLineOption pty("pty", "Make a virtual serial port linked at PATH (which must not exist).", "PATH");
    const QCommandLineOption quiet("quiet", "Print nothing but errors.");
    const QCommandLineOption route("route", "Drive along the points of FILE at --speed (above 0), on rhumb legs, and stay at the last one: GPX (the first rte, else the first trk, else the wpts) or one LAT,LON[,ALT] a line; not with --position, --pref, --course or --replay.", "FILE");
    const QCommandLineOption replay("replay", "Replay a recorded trip, an NMEA 0183 log (RMC, GGA) or a GPX track with times, re-timed to now; the run ends with the log. A gap of more than 10 s or a recorded loss gives no-fix ticks. Not with --position, --pref, --speed, --course or --route.", "FILE");
    const QCommandLineOption pace("pace", "Replay N times faster, 1 (default) to 100.", "N");
    const QCommandLineOption loop("loop", "From the end of the route or log, go round again from its start.");
    const QList<QCommandLineOption> options{help,   version, pref,   list,   listPorts, at,      start,
                                            format, talker,  position, speed, course, fixLoss, count,
                                            port,   rate,    tcp,    udp,    pty,       quiet,   route,
                                            replay, pace,    loop};
    parser.addOptions(options);

    if (!parser.parse(arguments))
        return Fail(parser.errorText().toStdString() + " (--help lists the options)");
    if (!parser.positionalArguments().isEmpty())
        return Fail("unexpected argument \"" + parser.positionalArguments().first().toStdString() +
                    "\" (--help lists the options)");
    if (parser.isSet(help)) {
        QString text = parser.helpText();
        text.replace(0, text.indexOf('\n'), "Usage: quilvex-nmea [options]");
        return {NmeaCommand::Action::Help, {}, text.toStdString() + kHelpEnd + PlatformHelp()};
    }
    if (parser.isSet(version))
        return {NmeaCommand::Action::Version, {}, "quilvex-nmea " QUILVEX_VERSION "\n"};

    std::map<QString, int> given;  // by each option's long name
    for (const QString& name : parser.optionNames()) {
        for (const QCommandLineOption& option : options) {
            if (option.names().contains(name) && ++given[option.names().last()] == 2 &&
                !kRepeatable.contains(option.names().last()))
                return Fail("--" + option.names().last().toStdString() + " may be given only once");
        }
    }
    for (const auto& conflict : kConflicts) {
        for (const QString& other : conflict.with) {
            if (given.contains(conflict.option) && given.contains(other))
                return Fail("--" + conflict.option.toStdString() + " cannot go with --" + other.toStdString());
        }
    }

    NmeaCommand command;
    if (parser.isSet(list))
        command.action = NmeaCommand::Action::List;
    if (parser.isSet(listPorts))
        command.action = NmeaCommand::Action::ListPorts;
    NmeaOptions& o = command.options;
    if (parser.isSet(pref)) {
        const std::string name = parser.value(pref).toStdString();
        const auto slot = SlotOf(name);
        if (!slot)
            return Fail("no prefecture named \"" + name + "\" (--list shows the names and slots)");
        o.receiver.slot = *slot;
    }
    if (parser.isSet(at)) {
        const std::string text = parser.value(at).toStdString();
        o.at = ParseUtcInstant(text);
        if (!o.at)
            return Fail("--at takes a UTC instant " + std::string(kInstantRangeText) +
                        ", a real date and time with Z at the end, such as 2010-09-16T04:51:35.127Z, not \"" + text +
                        "\"");
    }
    if (parser.isSet(start)) {
        const std::string text = parser.value(start).toStdString();
        o.start = ParseUtcInstant(text);
        if (!o.start || *o.start != std::chrono::floor<std::chrono::seconds>(*o.start))
            return Fail("--start takes a UTC instant in whole seconds " + std::string(kInstantRangeText) +
                        ", such as 2026-12-31T23:59:50Z, not \"" + text + "\"");
    }
    Receiver& r = o.receiver;
    // Each value of an option read into the receiver's setting; the first bad one fails the command.
    const auto setting = [&](const QCommandLineOption& option, auto parse, auto& into, const char* takes) {
        if (!parser.isSet(option))
            return true;
        for (const QString& value : parser.values(option)) {
            const std::string text = value.toStdString();
            const auto parsed = parse(text);
            if (!parsed) {
                command = Fail("--" + option.names().last().toStdString() + " takes " + takes + ", not \"" + text + "\"");
                return false;
            }
            if constexpr (requires { into.push_back(*parsed); })
                into.push_back(*parsed);
            else
                into = *parsed;
        }
        return true;
    };
    if (!setting(format, ParseFormat, r.format, "classic or standard") ||
        !setting(talker, ParseTalker, r.talker, "GP or GN") ||
        !setting(position, ParsePosition, r.position,
                 "LAT,LON[,ALT]: degrees of latitude from -90 to 90 and of longitude from -180 to 180, south and "
                 "west negative, and metres from -1000 to 100000, such as -33.8568,151.2153,58") ||
        !setting(speed, ParseSpeed, r.speedKnots, "knots from 0 to 1000, such as 12.5") ||
        !setting(course, ParseCourse, r.courseDeg, "degrees true from 0 to under 360, such as 45") ||
        !setting(fixLoss, ParseFixLoss, r.fixLoss,
                 "AFTER+FOR in whole ticks, FOR at least 1, such as 30+10 for ticks 30 to 39"))
        return command;
    if (auto failed = ReadTrip(parser, route, replay, pace, loop, o))
        return *failed;
    std::optional<long long> counted;
    if (parser.isSet(count)) {
        const std::string text = parser.value(count).toStdString();
        counted = WholeNumber(text);
        if (!counted)
            return Fail("--count takes a whole number of ticks, 0 or more, not \"" + text + "\"");
    }
    if (parser.isSet(port))
        o.port = parser.value(port).toStdString();
    if (parser.isSet(rate)) {
        if (!o.port)
            return Fail("--rate goes with --port");
        o.rate = parser.value(rate).toStdString();
        const auto n = WholeNumber(o.rate);
        if (!n || *n <= 0 || *n > kHighestRate)
            return Fail("--rate takes a whole number of bit/s from 1 to " + std::to_string(kHighestRate) +
                        ", such as 4800, not \"" + o.rate + "\"");
    }
    if (parser.isSet(course) && !parser.isSet(speed))
        return Fail("--course goes with --speed: without a speed the receiver stands still, on no course");
    if (auto failed = Resolve("--tcp", parser.values(tcp), kLocalHost, o.tcp, true))
        return *failed;
    if (auto failed = Resolve("--udp", parser.values(udp), {}, o.udp, false))
        return *failed;
    if (parser.isSet(pty)) {
#ifdef _WIN32
        return Fail("--pty does not exist on Windows: install a virtual COM port pair driver (such as com0com) "
                    "and give one end to --port, or serve the sentences with --tcp");
#else
        o.pty = parser.value(pty).toStdString();
        if (o.pty->empty())
            return Fail("--pty takes the path where the virtual port appears, such as /tmp/gps");
#endif
    }
    // Standard output alone is a quick look, but a replay goes to its end;
    // anything else runs until stopped.
    o.count = counted.value_or(o.toStandardOutput() && !o.replay ? 1 : 0);
    const auto first = o.at ? o.at : o.start;
    if (first && o.count > 0 && o.count - 1 > std::chrono::floor<std::chrono::seconds>(kLastStampedInstant - *first).count())
        return Fail((o.at ? "--at " + parser.value(at) : "--start " + parser.value(start)).toStdString() +
                    " with --count " + std::to_string(o.count) + " would pass the end of year 9999");
    o.quiet = parser.isSet(quiet);
    return command;
}

}  // namespace quilvex
