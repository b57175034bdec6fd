#include "NmeaOptions.hpp"

#include "InstantText.hpp"
#include "PrefectureTable.hpp"

#include <QCommandLineParser>

#include <charconv>

namespace quilvex {
namespace {

std::optional<long long> WholeNumber(const std::string& text)
{
    long long value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || result.ec != std::errc{} || result.ptr != text.data() + text.size())
        return std::nullopt;
    return value;
}

// An exact name, or a slot number 1 to 47.
std::optional<int> SlotOf(const std::string& pref)
{
    if (const int slot = LookupPrefecture(pref); slot != 0)
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
    const QCommandLineOption pref("pref", "Prefecture by exact Japanese name or slot 1-47 (default 東京都).", "NAME|SLOT");
    const QCommandLineOption list("list", "List the 47 slots: slot, name, latitude, longitude.");
    const QCommandLineOption at("at", "Fixed UTC instant, e.g. 2010-09-16T04:51:35.127Z; ticks then advance 1 s each without waiting.", "INSTANT");
    const QCommandLineOption count("count", "Number of ticks (default 1); 0 runs until interrupted.", "N");
    const QCommandLineOption port("port", "Send to this port (COM1..., or a device path) instead of standard output.", "PORT");
    const QCommandLineOption rate("rate", "Line rate in bit/s with --port (default 4800).", "RATE");
    parser.addOptions({help, version, pref, list, at, count, port, rate});

    if (!parser.parse(arguments))
        return Fail(parser.errorText().toStdString() + "\n" + parser.helpText().toStdString());
    if (!parser.positionalArguments().isEmpty())
        return Fail("unexpected argument \"" + parser.positionalArguments().first().toStdString() +
                    "\"\n" + parser.helpText().toStdString());
    if (parser.isSet(help))
        return {NmeaCommand::Action::Help, {}, parser.helpText().toStdString()};
    if (parser.isSet(version))
        return {NmeaCommand::Action::Version, {}, "quilvex-nmea " QUILVEX_VERSION "\n"};

    NmeaCommand command;
    if (parser.isSet(list))
        command.action = NmeaCommand::Action::List;
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
        if (!n || *n < 0)
            return Fail("--count takes a whole number of ticks, 0 or more, not \"" + text + "\"");
        o.count = *n;
    }
    if (parser.isSet(port))
        o.port = parser.value(port).toStdString();
    if (parser.isSet(rate)) {
        if (!o.port)
            return Fail("--rate goes with --port");
        o.rate = parser.value(rate).toStdString();
    }
    return command;
}

}  // namespace quilvex
