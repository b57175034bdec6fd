#include "InstantText.hpp"
#include "PrefectureTable.hpp"
#include "Receiver.hpp"
#include "Sentences.hpp"
#include "Tick.hpp"

#include <benchmark/benchmark.h>

using namespace quilvex;

namespace {

const TimeTexts kTexts =
    MakeTimeTexts(SystemTimeAt(*ParseUtcInstant("2010-09-16T04:51:35.127Z")), "13");

void ComposeWholeTick(benchmark::State& state)
{
    const SystemTimeRecord utc = SystemTimeAt(*ParseUtcInstant("2010-09-16T04:51:35.127Z"));
    for (auto _ : state)
        benchmark::DoNotOptimize(ComposeTick(Receiver{}, utc, "13"));
}
BENCHMARK(ComposeWholeTick);

// What a real tick does besides composing: lookup, snapshot and texts.
void LookupSnapshotAndCompose(benchmark::State& state)
{
    for (auto _ : state) {
        const Receiver receiver{.slot = PrefectureSlot("沖縄県")};
        benchmark::DoNotOptimize(ComposeTickNow(receiver));
    }
}
BENCHMARK(LookupSnapshotAndCompose);

// The standard stream: the sky placed and its DOPs solved at every tick.
void ComposeStandardTickWithSky(benchmark::State& state)
{
    const SystemTimeRecord utc = SystemTimeAt(*ParseUtcInstant("2010-09-16T04:51:35.127Z"));
    const Receiver receiver{.format = NmeaFormat::Standard, .talker = Talker::GN, .speedKnots = 12, .courseDeg = 45};
    for (auto _ : state)
        benchmark::DoNotOptimize(ComposeTick(receiver, utc, "13"));
}
BENCHMARK(ComposeStandardTickWithSky);

// All five systems from Tokyo (about 40 in view), as NMEA 4.11: the goal is
// under 50 us, beside the GPS-only tick above.
void ComposeFiveSystemTick(benchmark::State& state)
{
    const SystemTimeRecord utc = SystemTimeAt(*ParseUtcInstant("2010-09-16T04:51:35.127Z"));
    const Receiver receiver{.format = NmeaFormat::Standard,
                            .systems = Constellations(kConstellations.begin(), kConstellations.end()),
                            .dialect = NmeaDialect::V411, .speedKnots = 12, .courseDeg = 45};
    for (auto _ : state)
        benchmark::DoNotOptimize(ComposeTick(receiver, utc, "13"));
}
BENCHMARK(ComposeFiveSystemTick);

void FrameOneSentence(benchmark::State& state)
{
    const std::string body = "GP" + ComposeRMC(kTexts, {PrefectureTable[13].lat, "N", PrefectureTable[13].lon, "E"});
    for (auto _ : state)
        benchmark::DoNotOptimize(FrameSentence(body));
}
BENCHMARK(FrameOneSentence);

}  // namespace

BENCHMARK_MAIN();
