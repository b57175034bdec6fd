#include "OptionTable.hpp"

#include "ExitStatus.hpp"
#include "InstantText.hpp"
#include "PortRules.hpp"
#include "PrefectureTable.hpp"
#include "Sentences.hpp"
#include "SettingRules.hpp"
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

// Each status has its row, in the order of the statuses, and its rank.
constexpr bool EveryStatusOnce()
{
    for (std::size_t i = 0; i < kExitStatusTable.size(); ++i)
        if (kExitStatusTable[i].status != static_cast<ExitStatus>(i) ||
            std::count(kStatusRanking.begin(), kStatusRanking.end(), kExitStatusTable[i].status) != 1)
            return false;
    return kStatusRanking.size() == kExitStatusTable.size();
}
static_assert(EveryStatusOnce(), "the exit status table and the ranking disagree");

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

// The {braces} that differ between systems, filled in with this one's words.
std::string Filled(std::string text, const HelpWords& words)
{
    for (const auto& [key, fill] : words.fills)
        text = Replaced(std::move(text), key, fill);
    return text;
}

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


std::string OptionHelp(const OptionRow& row, const HelpWords& words)
{
    std::string text = Filled(std::string(row.help), words);
    text = Replaced(std::move(text), "{default-pref}", kDefaultPrefecture);
    text = Replaced(std::move(text), "{default-rate}", kDefaultRate);
    text = Replaced(std::move(text), "{instant-range}", kInstantRangeText);
    text = Replaced(std::move(text), "{highest-rate}", std::to_string(kHighestRate));
    text = Replaced(std::move(text), "{speed-range}", RangeText(kSpeedRange));
    text = Replaced(std::move(text), "{course-range}", RangeText(kCourseRange));
    text = Replaced(std::move(text), "{pace-range}", RangeText(kPaceRange));
    std::string rates;
    for (const int rate : kUpdateRates)
        rates += (rate == kUpdateRates.back() ? " or " : rates.empty() ? "" : ", ") + std::to_string(rate);
    text = Replaced(std::move(text), "{update-rates}", rates);
    return Replaced(std::move(text), "{whole-tick-rate}", std::to_string(SlowestRateFor(WidestStandardTick(), 1)));
}

std::string HelpText(const HelpWords& words)
{
    std::string text(kHelpStart);
    for (const OptionRow& row : kOptionTable) {
        if (Names(words.absent, row.name))
            continue;
        const std::string synopsis = "  " + Synopsis(row);
        text += synopsis;
        std::size_t column = synopsis.size();
        if (column >= kSynopsisWidth + 2) {
            text.append("\n");
            column = 0;
        }
        text.append(kSynopsisWidth + 2 - column, ' ');
        text += Wrapped(OptionHelp(row, words), kSynopsisWidth + 2, kSynopsisWidth + 2) + "\n";
    }
    // Appended piece by piece, as in ManPageOptions.
    std::string heading = "Exit status (when a run ends for more than one reason, the first that applies in the order ";
    heading.append(StatusOrder()).append("):");
    text.append(words.examples).append("\n").append(Wrapped(heading, 0, 0)).append("\n");
    for (const ExitStatusRow& row : kExitStatusTable) {
        text.append("  ").append(std::to_string(row.status)).append("  ");
        text.append(Wrapped(Filled(std::string(row.meaning), words), 5, 5)).append("\n");
    }
    return text;
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
        text.append("\n").append(Roff(OptionHelp(row, kPosixHelpWords))).append("\n");
    }
    return text;
}

std::string ManPageExitStatus()
{
    std::string text;
    for (const ExitStatusRow& row : kExitStatusTable) {
        text.append(".TP\n.B ").append(std::to_string(row.status)).append("\n");
        text.append(Roff(Filled(std::string(row.meaning), kPosixHelpWords))).append("\n");
    }
    return text;
}

std::string MarkdownExitStatus()
{
    std::string text = "| status | meaning |\n| --- | --- |\n";
    for (const ExitStatusRow& row : kExitStatusTable) {
        // Option names in code spans.
        const std::string meaning = Filled(std::string(row.meaning), kPosixHelpWords);
        text.append("| ").append(std::to_string(row.status)).append(" | ");
        for (std::size_t i = 0; i < meaning.size();) {
            std::size_t end = i;
            if (meaning.compare(i, 2, "--") == 0) {
                for (end = i + 2; end < meaning.size() && (std::islower(static_cast<unsigned char>(meaning[end])) ||
                                                          meaning[end] == '-');)
                    ++end;
                text.append(1, '`').append(meaning, i, end - i).append(1, '`');
                i = end;
            } else {
                text.append(1, meaning[i++]);
            }
        }
        text.append(" |\n");
    }
    return text;
}

std::string StatusOrder()
{
    std::string order;
    for (const ExitStatus status : kStatusRanking)
        if (status != kExitDone)
            order += (order.empty() ? "" : ", ") + std::to_string(status);
    return order;
}

}  // namespace quilvex
