// Every text a user can type goes through its reader: port and rate texts,
// network addresses, --at instants, prefecture names, the receiver's
// settings, a log's lines. Each must give a value or a refusal, never a crash; every tick
// built from any texts stays framed.
#include "CoordinateDisplay.hpp"
#include "InstantText.hpp"
#include "NmeaLog.hpp"
#include "NetworkAddress.hpp"
#include "PortRules.hpp"
#include "PrefectureTable.hpp"
#include "ReceiverTexts.hpp"
#include "Sentences.hpp"
#include "Tick.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

using namespace quilvex;

namespace {

constexpr std::size_t kLongestSentence = 82 + 2;  // and CR LF

void CheckFramed(const Tick& tick, std::size_t longest = SIZE_MAX)
{
    for (const std::string& s : tick) {
        const std::size_t star = s.rfind('*');
        if (s.size() < 6 || s.size() > longest || s.front() != '$' || star != s.size() - 5 ||
            FrameSentence(std::string_view(s).substr(1, star - 1)) != s)
            std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const int port = PortNumberFromText(text);
    if (port < -32767 || port > 32767)
        std::abort();
    if (const auto line = ParseSettings(SettingsText(text)); line && line->rate <= 0)
        std::abort();
    if (const auto address = ParseNetworkAddress(text, kLocalHost); address && address->port == 0)
        std::abort();
    if (const auto instant = ParseUtcInstant(text)) {
        const auto t = SystemTimeAt(*instant);
        if (t.wMonth < 1 || t.wMonth > 12 || t.wDay < 1 || t.wDay > 31 || t.wHour > 23 || t.wMinute > 59 ||
            t.wSecond > 59 || t.wMilliseconds > 999)
            std::abort();
    }
    const int slot = PrefectureSlot(text);
    if (slot < 0 || slot > kLastSlot)
        std::abort();
    (void)(LatitudeDisplayText(text) + LongitudeDisplayText(text));

    const SystemTimeRecord worked{2010, 9, 4, 16, 4, 51, 35, 127};
    SystemTimeRecord snapshot = worked;
    if (size >= sizeof snapshot)
        std::memcpy(&snapshot, data, sizeof snapshot);

    const auto position = ParsePosition(text);
    if (position && (!(std::abs(position->lat) <= 90) || !(std::abs(position->lon) <= 180) ||
                     !(std::abs(position->altitude.value_or(0)) <= 100000)))
        std::abort();
    const auto speed = ParseSpeed(text);
    const auto course = ParseCourse(text);
    const auto loss = ParseFixLoss(text);
    if ((speed && !(*speed >= 0 && *speed <= 1000)) || (course && !(*course >= 0 && *course < 360)) ||
        (loss && (loss->after < 0 || loss->length < 1)))
        std::abort();
    const Receiver receiver{.format = ParseFormat(text).value_or(size % 2 ? NmeaFormat::Standard : NmeaFormat::Classic),
                            .talker = ParseTalker(text).value_or(Talker::GN),
                            .slot = static_cast<int>(size % 50),
                            .position = position,
                            .speedKnots = speed.value_or(static_cast<double>(size % 7)),
                            .courseDeg = course.value_or(static_cast<double>(size)),
                            .fixLoss = {loss.value_or(FixLossWindow{1, 1})}};
    const Receiver moved = AdvancedTo(receiver, 1 + static_cast<long long>(size) * 1000);
    if (moved.position && !(std::abs(moved.position->lat) <= 90 && std::abs(moved.position->lon) <= 180))
        std::abort();
    CheckFramed(ComposeTick(moved, snapshot, text.substr(0, 2)));

    // A log's bytes, cut anywhere: every fix in range, and what it replays
    // as goes out in framed sentences no longer than a sentence may be.
    NmeaLogFixes log;
    log.feed(text.substr(0, size / 2));
    log.feed(text.substr(size / 2));
    log.finish();
    for (auto fix = log.take(); fix; fix = log.take()) {
        if (!(std::abs(fix->place.lat) <= 90 && std::abs(fix->place.lon) <= 180))
            std::abort();
        Receiver replayed = receiver;
        replayed.replay = Replayed{fix->valid, fix->place, fix->knots.value_or(0), fix->courseDeg.value_or(0)};
        CheckFramed(ComposeTick(replayed, worked, text.substr(0, 2)), kLongestSentence);
    }
    return 0;
}
