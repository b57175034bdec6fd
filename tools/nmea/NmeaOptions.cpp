#include "NmeaOptions.hpp"

#include "InstantText.hpp"
#include "OptionTable.hpp"
#include "ProcessSignals.hpp"
#include "ReceiverTexts.hpp"
#include "RouteFile.hpp"
#include "SettingRules.hpp"
#include "Tick.hpp"

#include <algorithm>
#include <map>

namespace quilvex {
namespace {

constexpr const char* kSeeHelp = " (--help lists the options)";

NmeaCommand Fail(std::string message, ExitStatus status = kExitUsage)
{
    return {NmeaCommand::Action::Fail, {}, "quilvex-nmea: " + std::move(message), status};
}

std::string Dashed(const OptionRow& row)
{
    return "--" + std::string(row.name);
}

// An argument that names an option, never a value: "--quiet", "-h"; a
// negative number such as "-33.8,151.2" is a value.
bool NamesAnOption(const std::string& argument)
{
    return argument.starts_with("--") ||
           (argument.size() >= 2 && argument[0] == '-' && !(argument[1] >= '0' && argument[1] <= '9') && argument[1] != '.');
}

// The options given, each with its values in order, by table row; and the
// rows in the order they were first given.
struct Given {
    std::map<const OptionRow*, std::vector<std::string>> values;
    std::vector<const OptionRow*> order;

    bool has(std::string_view name) const { return values.contains(FindOption(name)); }
    const std::vector<std::string>& of(std::string_view name) const { return values.at(FindOption(name)); }
};

// Arguments into options and values, by the table alone.
std::optional<NmeaCommand> Tokenize(const std::vector<std::string>& arguments, Given& given)
{
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (!NamesAnOption(argument))
            return Fail("unexpected argument \"" + argument + "\"" + kSeeHelp);
        const bool longForm = argument.starts_with("--");
        const std::size_t equals = longForm ? argument.find('=') : std::string::npos;
        const std::string name = argument.substr(longForm ? 2 : 1, equals == std::string::npos ? std::string::npos
                                                                                            : equals - 2);
        const OptionRow* row = FindOption(name);
        if (!row || (!longForm && name.size() != 1) || (longForm && name.size() == 1))
            return Fail("unknown option " + (longForm ? argument.substr(0, equals) : argument) + kSeeHelp);
        std::string value;
        if (row->value.empty()) {
            if (equals != std::string::npos)
                return Fail(Dashed(*row) + " takes no value, not \"" + argument.substr(equals + 1) + "\"");
        } else if (equals != std::string::npos) {
            value = argument.substr(equals + 1);
        } else if (i + 1 == arguments.size()) {
            return Fail(Dashed(*row) + " takes " + std::string(row->value) + ", and none was given");
        } else if (NamesAnOption(arguments[i + 1])) {
            return Fail(Dashed(*row) + " takes " + std::string(row->value) + ", not the option " + arguments[i + 1]);
        } else {
            value = arguments[++i];
        }
        // An unset "$LOG" is no file: an empty value never stands for the default.
        if (!row->value.empty() && value.empty())
            return Fail(Dashed(*row) + " takes " + std::string(row->value) + ", not an empty value");
        auto& values = given.values[row];
        if (values.empty())
            given.order.push_back(row);
        values.push_back(std::move(value));
    }
    return std::nullopt;
}

// The row's own value that needs nothing is given (--hz 1).
bool Needless(const OptionRow& row, const Given& given)
{
    return !row.needless.empty() && given.of(row.name).front() == row.needless;
}

// What the table says of the options given together.
std::optional<NmeaCommand> CheckCombination(const Given& given)
{
    for (const OptionRow* row : given.order) {
        if (given.values.at(row).size() > 1 && !row->repeatable)
            return Fail(Dashed(*row) + " may be given only once");
    }
    for (std::size_t i = 0; i < given.order.size(); ++i) {
        for (std::size_t j = i + 1; j < given.order.size(); ++j) {
            if (Conflicting(*given.order[i], *given.order[j]))
                return Fail(Dashed(*given.order[i]) + " cannot go with " + Dashed(*given.order[j]));
        }
        const std::string_view needs = given.order[i]->needs;
        const std::size_t equals = needs.find('=');
        const std::string_view name = needs.substr(0, equals);
        const bool met = needs.empty() || Needless(*given.order[i], given) ||
                         (given.has(name) &&
                          (equals == std::string_view::npos || given.of(name).back() == needs.substr(equals + 1)));
        if (!met) {
            const std::string wanted = equals == std::string_view::npos ? std::string(needs)
                                                                        : std::string(name) + " " + std::string(needs.substr(equals + 1));
            return Fail(Dashed(*given.order[i]) +
                        (given.order[i]->needless.empty() ? "" : " " + given.of(given.order[i]->name).front()) +
                        " goes with --" + wanted +
                        (given.order[i]->unmet.empty() ? "" : ": " + std::string(given.order[i]->unmet)));
        }
    }
    return std::nullopt;
}

// Each value of an option read into a setting; the first bad one fails.
template <typename Parse, typename Into>
std::optional<NmeaCommand> Read(const Given& given, std::string_view name, Parse parse, Into& into, const std::string& takes)
{
    if (!given.has(name))
        return std::nullopt;
    for (const std::string& text : given.of(name)) {
        const auto parsed = parse(text);
        if (!parsed)
            return Fail("--" + std::string(name) + " takes " + takes + ", not \"" + text + "\"");
        if constexpr (requires { into.push_back(*parsed); })
            into.push_back(*parsed);
        else
            into = *parsed;
    }
    return std::nullopt;
}

std::optional<NmeaCommand> ReadPref(const std::string& text, Receiver& receiver)
{
    receiver.slot = PrefectureSlot(text);
    if (receiver.slot != 0)
        return std::nullopt;
    if (WholeNumber(text))
        return Fail("--pref takes a slot from " + std::to_string(kFirstSlot) + " to " + std::to_string(kLastSlot) +
                    ", not \"" + text + "\" (--list shows the slots)");
    return Fail("no prefecture named \"" + text + "\" (--list shows the names and slots)");
}

std::optional<NmeaCommand> ReadNetwork(const Given& given, Destination::Kind kind, std::vector<Destination>& into)
{
    const bool tcp = kind == Destination::Kind::Tcp;
    const std::string_view name = tcp ? "tcp" : "udp";
    if (!given.has(name))
        return std::nullopt;
    for (const std::string& text : given.of(name)) {
        const auto address = ParseNetworkAddress(text, tcp ? kLocalHost : std::string_view{});
        if (!address || (!tcp && text.find(':') == std::string::npos))
            return Fail(tcp ? "--tcp takes [HOST:]PORT with a port from 1 to 65535, not \"" + text + "\""
                            : "--udp takes HOST:PORT, such as 127.0.0.1:10110, not \"" + text + "\"");
        into.push_back({kind, "--" + std::string(name), text, *address, {}});
    }
    return std::nullopt;
}

// A serial port, or what the window also takes: tcp://[HOST]:PORT.
std::optional<NmeaCommand> ReadPort(const Given& given, NmeaOptions& o)
{
    if (!given.has("port"))
        return std::nullopt;
    const std::string& text = given.of("port").front();
    if (const auto served = TcpPortText(text)) {
        const auto address = ParseNetworkAddress(*served, kLocalHost);
        if (!address)
            return Fail("--port " + text + ": tcp:// takes [HOST]:PORT with a port from 1 to 65535, such as tcp://:10110");
        if (given.has("rate"))
            return Fail("--rate goes with a serial --port, not with " + text);
        o.destinations.push_back({Destination::Kind::Tcp, "--port", text, *address, {}});
        return std::nullopt;
    }
    o.destinations.push_back({Destination::Kind::SerialPort, "--port", text, {}, {}});
    return std::nullopt;
}

// A server on the wildcard address of a family listens on each of its addresses.
bool Overlap(const NetworkAddress& a, const NetworkAddress& b)
{
    const auto ipv6 = [](const std::string& host) { return host.find(':') != std::string::npos; };
    const auto covers = [&](const std::string& wildcard, const std::string& host) {
        return (wildcard == "0.0.0.0" && !ipv6(host)) || (wildcard == "::" && ipv6(host));
    };
    return a.port == b.port && (a.host == b.host || covers(a.host, b.host) || covers(b.host, a.host));
}

// Whether two destinations are one place: one TCP address served twice, one
// UDP address, or one path as a serial port and a virtual port.
bool SamePlace(const Destination& a, const Destination& b)
{
    using Kind = Destination::Kind;
    const bool paths = (a.kind == Kind::SerialPort || a.kind == Kind::VirtualPort) &&
                       (b.kind == Kind::SerialPort || b.kind == Kind::VirtualPort);
    if (paths)
        return a.given == b.given;
    if (a.kind != b.kind)
        return false;
    return a.kind == Kind::Tcp ? Overlap(a.address, b.address)
                               : a.address.host == b.address.host && a.address.port == b.address.port;
}

// Above 1 Hz a serial line must carry every second whole: no sky in turn.
std::optional<NmeaCommand> CheckLineFits(const NmeaOptions& o)
{
    if (!o.serialPort())
        return std::nullopt;
    const auto shortfall =
        LineShortfallOf(WholeNumber(o.rate).value_or(0), o.receiver.systems, o.receiver.dialect, o.hz);
    if (!shortfall)
        return std::nullopt;
    return Fail(LineRefusal(*shortfall, Language::English));
}

// Beyond GPS alone the sentences must name each satellite's system: 4.11
// unless 4.10 is asked for; 2.3 cannot. 4.10 and 4.11 send GN fix sentences.
std::optional<NmeaCommand> ChooseDialect(const Given& given, Receiver& r)
{
    if (r.systems == Constellations{Constellation::Gps}) {
        if (r.dialect != NmeaDialect::V23 && given.has("talker") && r.talker == Talker::GP)
            return Fail("--talker GP cannot go with --nmea " + std::string(NameOf(r.dialect)) +
                        ", whose fix sentences carry GN");
        return std::nullopt;
    }
    std::string names;
    for (const Constellation system : r.systems)
        names.append(names.empty() ? "" : ",").append(NameOf(system));
    if (given.has("nmea") && r.dialect == NmeaDialect::V23)
        return Fail("--nmea 2.3 cannot go with --gnss " + names + ": " +
                    SettingTakes(Setting::OneSystemDialect, Language::English));
    if (!given.has("nmea"))
        r.dialect = NmeaDialect::V411;
    if (given.has("talker") && r.talker == Talker::GP)
        return Fail("--talker GP cannot go with --gnss " + names + ": NMEA " + std::string(NameOf(r.dialect)) +
                    " sends its fix sentences with GN");
    return std::nullopt;
}

}  // namespace

std::string Destination::text() const
{
    return kind == Kind::Tcp || kind == Kind::Udp ? NetworkAddressText(address) : given;
}

const Destination* NmeaOptions::serialPort() const
{
    const auto port = std::find_if(destinations.begin(), destinations.end(),
                                   [](const Destination& d) { return d.kind == Destination::Kind::SerialPort; });
    return port == destinations.end() ? nullptr : &*port;
}

NmeaCommand ParseNmeaArguments(const std::vector<std::string>& arguments)
{
    Given given;
    if (auto failed = Tokenize(arguments, given))
        return *failed;
    if (given.has("help"))
        return {NmeaCommand::Action::Help, {}, HelpText(PlatformHelpWords())};
    if (given.has("version"))
        return {NmeaCommand::Action::Version, {}, "quilvex-nmea " QUILVEX_VERSION "\n"};
    if (auto failed = CheckCombination(given))
        return *failed;

    NmeaCommand command;
    if (given.has("list"))
        command.action = NmeaCommand::Action::List;
    if (given.has("list-ports"))
        command.action = NmeaCommand::Action::ListPorts;
    NmeaOptions& o = command.options;
    Receiver& r = o.receiver;
    const auto instant = [](const std::string& text) { return ParseUtcInstant(text); };
    const auto wholeSecond = [](const std::string& text) -> std::optional<UtcInstant> {
        const auto t = ParseUtcInstant(text);
        return t && *t == std::chrono::floor<std::chrono::seconds>(*t) ? t : std::nullopt;
    };
    std::optional<long long> counted;
    const auto rate = [](const std::string& text) -> std::optional<std::string> {
        const auto n = WholeNumber(text);
        return n && *n > 0 && *n <= kHighestRate ? std::optional(text) : std::nullopt;
    };
    const auto hz = [](const std::string& text) -> std::optional<int> {
        const auto n = WholeNumber(text);
        return n && std::find(kUpdateRates.begin(), kUpdateRates.end(), *n) != kUpdateRates.end()
                   ? std::optional(static_cast<int>(*n))
                   : std::nullopt;
    };
    const std::string rateRange = "a whole number of bit/s from 1 to " + std::to_string(kHighestRate) + ", such as 4800";
    const std::string range(kInstantRangeText);
    const std::string atTakes = "a UTC instant " + range + ", a real date and time with Z at the end, such as 2010-09-16T04:51:35.127Z";
    const std::string startTakes = "a UTC instant in whole seconds " + range + ", such as 2026-12-31T23:59:50Z";
    for (auto failed : {
             given.has("pref") ? ReadPref(given.of("pref").front(), r) : std::nullopt,
             Read(given, "at", instant, o.at, atTakes.c_str()),
             Read(given, "start", wholeSecond, o.start, startTakes.c_str()),
             Read(given, "format", ParseFormat, r.format, SettingTakes(Setting::Format, Language::English)),
             Read(given, "talker", ParseTalker, r.talker, SettingTakes(Setting::Talker, Language::English)),
             Read(given, "gnss", ParseConstellations, r.systems, SettingTakes(Setting::Gnss, Language::English)),
             Read(given, "nmea", ParseDialect, r.dialect, SettingTakes(Setting::Nmea, Language::English)),
             Read(given, "position", ParsePosition, r.position, SettingTakes(Setting::Position, Language::English)),
             Read(given, "speed", ParseSpeed, r.speedKnots, SettingTakes(Setting::Speed, Language::English)),
             Read(given, "course", ParseCourse, r.courseDeg, SettingTakes(Setting::Course, Language::English)),
             Read(given, "fix-loss", ParseFixLoss, r.fixLoss,
                  "AFTER+FOR in whole ticks, FOR at least 1, such as 30+10 for ticks 30 to 39"),
             Read(given, "count", WholeNumber, counted, "a whole number of ticks, 0 or more"),
             Read(given, "rate", rate, o.rate, rateRange),
             Read(given, "hz", hz, o.hz, "ticks a second: 1, 2, 4, 5, 10 or 20"),
             ReadPort(given, o),
             ReadNetwork(given, Destination::Kind::Tcp, o.destinations),
             ReadNetwork(given, Destination::Kind::Udp, o.destinations),
         }) {
        if (failed)
            return *failed;
    }
    if (given.has("pty")) {
#ifdef _WIN32
        return Fail("--pty does not exist on Windows: install a virtual COM port pair driver (such as com0com) "
                    "and give one end to --port, or serve the sentences with --tcp");
#else
        const std::string& path = given.of("pty").front();
        o.destinations.push_back({Destination::Kind::VirtualPort, "--pty", path, {}, {}});
#endif
    }
    if (auto failed = ChooseDialect(given, r))
        return *failed;
    if (auto failed = CheckLineFits(o))
        return *failed;
    if (auto failed = Read(given, "pace", ParsePace, o.pace, SettingTakes(Setting::Pace, Language::English)))
        return *failed;
    if (given.has("route") && !(r.speedKnots > kSpeedRange.low))
        return Fail("--route takes " + SettingTakes(Setting::RouteSpeed, Language::English));
    if (given.has("loop") && !given.has("route") && !given.has("replay"))
        return Fail("--loop goes with --route or --replay");
    o.routeFile = given.has("route") ? given.of("route").front() : "";
    o.replayFile = given.has("replay") ? given.of("replay").front() : "";
    o.loop = given.has("loop");
    // Standard output alone is a quick look, but a replay goes to its end;
    // anything else runs until stopped.
    o.count = counted.value_or(o.toStandardOutput() && o.replayFile.empty() ? 1 : 0);
    const auto first = o.at ? o.at : o.start;
    if (first && o.count > 0 &&
        (o.count - 1) / o.hz > std::chrono::floor<std::chrono::seconds>(kLastStampedInstant - *first).count())
        return Fail((o.at ? "--at " + given.of("at").front() : "--start " + given.of("start").front()) +
                    " with --count " + std::to_string(o.count) + " would pass the end of year 9999");
    o.quiet = given.has("quiet");
    return command;
}

NmeaCommand ResolveDestinations(NmeaCommand command, const std::function<HostLookup(const std::string&)>& lookUp)
{
    std::vector<Destination>& destinations = command.options.destinations;
    for (Destination& d : destinations) {
        if (d.kind != Destination::Kind::Tcp && d.kind != Destination::Kind::Udp)
            continue;
        const HostLookup lookup = lookUp(d.address.host);
        switch (lookup.outcome) {
        case HostLookup::Outcome::NoSuchName:
            return Fail(d.option + " " + d.given + ": no host named \"" + d.address.host + "\" (" + lookup.reason + ")");
        case HostLookup::Outcome::NoAnswer:
            return Fail(d.option + " " + d.given + ": cannot look up \"" + d.address.host + "\": " + lookup.reason,
                        kExitOutputFailed);
        case HostLookup::Outcome::Found:
            d.name = d.address.host;
            break;
        case HostLookup::Outcome::Numeric:
            break;
        }
        d.address.host = lookup.address;
    }
    for (auto later = destinations.begin(); later != destinations.end(); ++later) {
        for (auto earlier = destinations.begin(); earlier != later; ++earlier) {
            if (SamePlace(*earlier, *later))
                return Fail(later->text() + " is given twice: " + earlier->option + " " + earlier->given + " and " +
                            later->option + " " + later->given);
        }
    }
    return command;
}

NmeaCommand ReadTripFiles(NmeaCommand command)
{
    NmeaOptions& o = command.options;
    const auto problem = [](const char* option, const std::string& file, const FileProblem& p) {
        return Fail(std::string(option) + " " + file + ": " + p.message, p.unreadable ? kExitOutputFailed : kExitUsage);
    };
    if (!o.routeFile.empty()) {
        // Read whole before the first tick, off this thread: a stop signal
        // ends the wait for a FIFO's stalled writer at once.
        auto points = std::make_shared<std::variant<std::vector<GeoPoint>, FileProblem>>();
        if (!FinishedUnlessStopped([points, path = QString::fromStdString(o.routeFile)] { *points = ReadRouteFile(path); }))
            return NmeaCommand{NmeaCommand::Action::Stopped, {}, {}};
        if (const auto* p = std::get_if<FileProblem>(points.get()))
            return problem("--route", o.routeFile, *p);
        o.receiver.route = std::make_shared<const Route>(std::move(std::get<std::vector<GeoPoint>>(*points)), o.loop);
    }
    // A log is read as the run goes, off the event loop.
    if (!o.replayFile.empty())
        o.replay = std::make_shared<ReplayPlayer>(QString::fromStdString(o.replayFile), o.pace, o.loop);
    return command;
}

NmeaCommand ParseNmeaCommand(const QStringList& arguments)
{
    std::vector<std::string> texts;
    for (qsizetype i = 1; i < arguments.size(); ++i)
        texts.push_back(arguments[i].toStdString());
    NmeaCommand command = ParseNmeaArguments(texts);
    if (command.action == NmeaCommand::Action::Fail)
        return command;
    command = ResolveDestinations(std::move(command));
    return command.action == NmeaCommand::Action::Fail ? command : ReadTripFiles(std::move(command));
}

}  // namespace quilvex
