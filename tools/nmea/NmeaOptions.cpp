#include "NmeaOptions.hpp"

#include "InstantText.hpp"

#include <QCommandLineParser>

#include <charconv>

namespace quilvex {
namespace {

// Digits only: no sign (so no "-0"), no blanks, no point.
std::optional<long long> WholeNumber(const std::string& text)
{
    long long value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || text.front() < '0' || text.front() > '9' || result.ec != std::errc{} ||
        result.ptr != text.data() + text.size())
        return std::nullopt;
    return value;
}

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

NmeaCommand Fail(std::string message)
{
    return {NmeaCommand::Action::Fail, {}, "quilvex-nmea: " + std::move(message)};
}

}  // namespace

NmeaCommand ParseNmeaCommand(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Prints or sends the six NMEA 0183 sentences that Quilvex writes each second.");
    const QCommandLineOption help({"h", "help"}, "Show this help.");
    const QCommandLineOption version("version", "Show the version.");
    const QCommandLineOption pref("pref", "Prefecture by Japanese name, romanisation (Tokyo) or slot 1-47 (default " +
                                              QString::fromUtf8(kDefaultPrefecture.data(), kDefaultPrefecture.size()) + ").",
                                  "NAME|SLOT");
    const QCommandLineOption list("list", "List the 47 slots: slot, name, latitude, longitude, romanisation.");
    const QCommandLineOption listPorts("list-ports", "List the serial ports this system has.");
    const QCommandLineOption at("at", "Fixed UTC instant, e.g. 2010-09-16T04:51:35.127Z; ticks then advance 1 s each, without waiting on standard output or a port.", "INSTANT");
    const QCommandLineOption count("count", "Number of ticks (default 1); 0 runs until interrupted.", "N");
    const QCommandLineOption port("port", "Send to this port (COM1..., or a device path) instead of standard output.", "PORT");
    const QCommandLineOption rate("rate", "Line rate in bit/s with --port (default " +
                                              QString::fromLatin1(kDefaultRate.data(), kDefaultRate.size()) + ").",
                                  "RATE");
    const QCommandLineOption tcp("tcp", "Serve NMEA over TCP on [HOST:]PORT (host 127.0.0.1 unless given).", "[HOST:]PORT");
    const QCommandLineOption udp("udp", "Send each tick as one UDP datagram to HOST:PORT.", "HOST:PORT");
    const QCommandLineOption pty("pty", "Make a virtual serial port linked at PATH (which must not exist).", "PATH");
    const QCommandLineOption quiet("quiet", "Print nothing but errors.");
    parser.addOptions({help, version, pref, list, listPorts, at, count, port, rate, tcp, udp, pty, quiet});

    if (!parser.parse(arguments))
        return Fail(parser.errorText().toStdString() + " (--help lists the options)");
    if (!parser.positionalArguments().isEmpty())
        return Fail("unexpected argument \"" + parser.positionalArguments().first().toStdString() +
                    "\" (--help lists the options)");
    if (parser.isSet(help))
        return {NmeaCommand::Action::Help, {}, parser.helpText().toStdString()};
    if (parser.isSet(version))
        return {NmeaCommand::Action::Version, {}, "quilvex-nmea " QUILVEX_VERSION "\n"};

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
        o.slot = *slot;
    }
    if (parser.isSet(at)) {
        const std::string text = parser.value(at).toStdString();
        o.at = ParseUtcInstant(text);
        if (!o.at)
            return Fail("\"" + text +
                        "\" is not a UTC instant like 2010-09-16T04:51:35.127Z (a real date and time, Z at the end)");
    }
    if (parser.isSet(count)) {
        const std::string text = parser.value(count).toStdString();
        const auto n = WholeNumber(text);
        if (!n)
            return Fail("--count takes a whole number of ticks, 0 or more, not \"" + text + "\"");
        o.count = *n;
    }
    if (o.at && o.count > 0 && *o.at + std::chrono::seconds(o.count - 1) > kLastStampedInstant)
        return Fail("--at " + parser.value(at).toStdString() + " with --count " + std::to_string(o.count) +
                    " would pass the end of year 9999");
    if (parser.isSet(port))
        o.port = parser.value(port).toStdString();
    if (parser.isSet(rate)) {
        if (!o.port)
            return Fail("--rate goes with --port");
        o.rate = parser.value(rate).toStdString();
        const auto n = WholeNumber(o.rate);
        if (!n || *n <= 0)
            return Fail("--rate takes a whole number of bit/s above 0, such as 4800, not \"" + o.rate + "\"");
    }
    for (const QString& value : parser.values(tcp)) {
        o.tcp.push_back(value.toStdString());
        if (!ParseNetworkAddress(o.tcp.back(), kLocalHost))
            return Fail("--tcp takes [HOST:]PORT with a port from 1 to 65535, not \"" + o.tcp.back() + "\"");
    }
    for (const QString& value : parser.values(udp)) {
        o.udp.push_back(value.toStdString());
        if (!value.contains(':') || !ParseNetworkAddress(o.udp.back(), {}))
            return Fail("--udp takes HOST:PORT, such as 127.0.0.1:10110, not \"" + o.udp.back() + "\"");
    }
    if (parser.isSet(pty)) {
#ifdef _WIN32
        return Fail("--pty is not available on Windows; use --tcp or a virtual COM port pair");
#else
        o.pty = parser.value(pty).toStdString();
        if (o.pty->empty())
            return Fail("--pty takes the path where the virtual port appears, such as /tmp/gps");
#endif
    }
    o.quiet = parser.isSet(quiet);
    return command;
}

}  // namespace quilvex
