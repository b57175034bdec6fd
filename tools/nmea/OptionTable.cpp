#include "OptionTable.hpp"

#include "InstantText.hpp"
#include "PortRules.hpp"
#include "PrefectureTable.hpp"
#include "Sentences.hpp"
#include "Tick.hpp"

#include <algorithm>
#include <cctype>

namespace quilvex {
namespace {

constexpr std::size_t kHelpWidth = 79;
constexpr std::size_t kSynopsisWidth = 24;

constexpr bool Names(std::string_view list, std::string_view name)
{
    while (!list.empty()) {
        const std::size_t blank = list.find(' ');
        if (list.substr(0, blank) == name)
            return true;
        list.remove_prefix(blank == std::string_view::npos ? list.size() : blank + 1);
    }
    return false;
}

// Every name a row gives for another option is an option.
constexpr bool EveryNameIsAnOption()
{
    for (const OptionRow& row : kOptionTable) {
        for (std::string_view list : {row.conflicts, row.needs.substr(0, row.needs.find('='))}) {
            while (!list.empty()) {
                const std::size_t blank = std::min(list.find(' '), list.size());
                if (std::none_of(kOptionTable.begin(), kOptionTable.end(),
                                 [&](const OptionRow& other) { return other.name == list.substr(0, blank); }))
                    return false;
                list.remove_prefix(std::min(blank + 1, list.size()));
            }
        }
    }
    return true;
}
static_assert(EveryNameIsAnOption(), "a row names an option the table does not have");

std::string Replaced(std::string text, std::string_view from, std::string_view to)
{
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

std::string Synopsis(const OptionRow& row)
{
    std::string text = row.letter ? std::string{'-', row.letter} + ", " : "";
    text.append("--").append(row.name);
    if (!row.value.empty())
        text.append(" ").append(row.value);
    return text;
}

// Words wrapped to the help's width, each line after the first indented.
std::string Wrapped(std::string_view words, std::size_t indent, std::size_t firstColumn)
{
    std::string text;
    std::size_t column = firstColumn;
    while (!words.empty()) {
        const std::size_t blank = std::min(words.find(' '), words.size());
        const std::string_view word = words.substr(0, blank);
        if (column > indent && column + 1 + word.size() > kHelpWidth) {
            text.append("\n").append(indent, ' ');
            column = indent;
        } else if (column > indent) {
            text += ' ';
            ++column;
        }
        text.append(word);
        column += word.size();
        words.remove_prefix(std::min(blank + 1, words.size()));
    }
    return text;
}

// Text for roff: backslashes and hyphens escaped, option names in bold.
std::string Roff(std::string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text.substr(i, 2) == "--") {
            std::size_t end = i + 2;
            while (end < text.size() && (std::islower(static_cast<unsigned char>(text[end])) || text[end] == '-'))
                ++end;
            if (FindOption(text.substr(i + 2, end - i - 2))) {
                out += "\\fB" + Replaced(std::string(text.substr(i, end - i)), "-", "\\-") + "\\fR";
                i = end - 1;
                continue;
            }
        }
        out += text[i] == '\\' ? "\\e" : text[i] == '-' ? "\\-" : std::string(1, text[i]);
    }
    return out;
}

constexpr std::string_view kHelpStart =
    "Usage: quilvex-nmea [options]\n"
    "Prints or sends the NMEA 0183 sentences of a stand-in GPS receiver, once a second or up to\n"
    "20 times (--hz).\n"
    "\nOptions:\n";

constexpr std::string_view kHelpEnd = R"(
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

Exit status (when a run ends for more than one reason, the first that
applies in the order 1, 3, 2):
  0  done: the count reached, or a stop signal, and every byte out
  1  an output failed: it could not be opened, went away, or refused a write;
     or a stop signal found the program busy for 2 s
  2  a bad command line, or stamps past the end of year 9999
  3  bytes still held at the end (a stopped line, a standard output nobody reads)
)";

}  // namespace

const OptionRow* FindOption(std::string_view name)
{
    for (const OptionRow& row : kOptionTable)
        if (row.name == name || (row.letter && name.size() == 1 && name[0] == row.letter))
            return &row;
    return nullptr;
}

bool Conflicting(const OptionRow& a, const OptionRow& b)
{
    return Names(a.conflicts, b.name) || Names(b.conflicts, a.name);
}

std::string OptionHelp(const OptionRow& row)
{
    std::string text(row.help);
    text = Replaced(std::move(text), "{default-pref}", kDefaultPrefecture);
    text = Replaced(std::move(text), "{default-rate}", kDefaultRate);
    text = Replaced(std::move(text), "{instant-range}", kInstantRangeText);
    text = Replaced(std::move(text), "{highest-rate}", std::to_string(kHighestRate));
    std::string rates;
    for (const int rate : kUpdateRates)
        rates += (rate == kUpdateRates.back() ? " or " : rates.empty() ? "" : ", ") + std::to_string(rate);
    text = Replaced(std::move(text), "{update-rates}", rates);
    return Replaced(std::move(text), "{whole-tick-rate}", std::to_string(SlowestRateFor(WidestStandardTick(), 1)));
}

std::string HelpText()
{
    std::string text(kHelpStart);
    for (const OptionRow& row : kOptionTable) {
        const std::string synopsis = "  " + Synopsis(row);
        text += synopsis;
        std::size_t column = synopsis.size();
        if (column >= kSynopsisWidth + 2) {
            text.append("\n");
            column = 0;
        }
        text.append(kSynopsisWidth + 2 - column, ' ');
        text += Wrapped(OptionHelp(row), kSynopsisWidth + 2, kSynopsisWidth + 2) + "\n";
    }
    return text.append(kHelpEnd);
}

std::string ManPageOptions()
{
    std::string text;
    for (const OptionRow& row : kOptionTable) {
        // Appended piece by piece: GCC 12 flags "literal" + std::string&& as overlapping.
        text += ".TP\n";
        if (row.letter)
            text.append("\\fB\\-").append(1, row.letter).append("\\fR, ");
        text.append("\\fB\\-\\-").append(Replaced(std::string(row.name), "-", "\\-")).append("\\fR");
        if (!row.value.empty())
            text.append(" \\fI").append(Roff(row.value)).append("\\fR");
        text.append("\n").append(Roff(OptionHelp(row))).append("\n");
    }
    return text;
}

}  // namespace quilvex
