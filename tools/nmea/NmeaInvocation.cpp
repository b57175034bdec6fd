#include "NmeaInvocation.hpp"

#include "ConsolePlatform.hpp"
#include "InstantText.hpp"
#include "PrefectureTable.hpp"
#include "ReceiverTexts.hpp"
#include "Tick.hpp"
#include "TimeTexts.hpp"

#include <QCoreApplication>

#include <algorithm>
#include <charconv>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <utility>

namespace quilvex {
namespace {

constexpr int kStampedBatch = 64;  // stamped ticks handed over at once
constexpr std::chrono::milliseconds kDrainAtEnd{5000};
constexpr std::chrono::milliseconds kDrainAtSignal{80};
constexpr qint64 kSkipNoticeEveryMs = 60000;  // seconds without a tick are told at most this often

std::string Ticks(long long n)
{
    return std::to_string(n) + (n == 1 ? " tick" : " ticks");
}

std::string Seconds(double s)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f s", s);
    return text;
}

// The shortest plain decimal that reads back as the number: "58.5",
// "100000", "0" (never "1e+05" or "-0").
std::string Plain(double value)
{
    char text[400];
    std::string plain(text, std::to_chars(text, text + sizeof text, value, std::chars_format::fixed).ptr);
    return plain == "-0" ? "0" : plain;
}

// The place, the stream and the motion, as the start line names them.
std::string Describe(const NmeaOptions& o)
{
    const Receiver& r = o.receiver;
    std::string text;
    if (o.replay) {
        text = "the trip recorded in " + o.replayFile;
    } else if (r.route) {
        char length[32];
        std::snprintf(length, sizeof length, "%.3f km", r.route->length() / 1000);
        text = "the route in " + o.routeFile + " (" + std::to_string(r.route->points().size()) + " points, " +
               length + (r.route->loops() ? " a round" : "") + ")";
    } else if (r.position) {
        char place[64];
        std::snprintf(place, sizeof place, "%.6f, %.6f", r.position->lat, r.position->lon);
        text = place;
        if (r.position->altitude)
            text += ", " + Plain(*r.position->altitude) + " m";
    } else {
        const PrefectureRow& row = PrefectureTable[r.slot];
        text = std::string(row.name) + " (" + std::string(row.latin) + ", " + std::string(row.lat) + " N, " +
               std::string(row.lon) + " E)";
    }
    if (r.format == NmeaFormat::Standard) {
        text += ", standard sentences";
        const NmeaDialect dialect = SpokenDialect(r.systems, r.dialect);
        if (dialect != NmeaDialect::V23) {
            text += " (NMEA " + std::string(NameOf(dialect));
            for (const Constellation system : r.systems)
                text.append(system == *r.systems.begin() ? ", " : "+").append(NameOf(system));
            text += ")";
        }
    }
    if (r.talker == Talker::GN)
        text += ", talker GN";
    if (r.route)
        text += ", at " + Plain(r.speedKnots) + " kn" + (r.route->loops() ? ", looping" : "");
    else if (o.replay)
        text += ", at pace " + std::to_string(o.replay->pace()) + (o.replay->loops() ? ", looping" : "");
    else if (r.speedKnots > 0)
        text += ", moving " + Plain(r.speedKnots) + " kn on course " + Plain(r.courseDeg) + "°";
    else if (r.courseDeg > 0)  // --speed 0 given with the course
        text += ", standing still (course " + Plain(r.courseDeg) + "°)";
    return text;
}

}  // namespace

NmeaInvocation::NmeaInvocation(NmeaOptions options, std::vector<std::unique_ptr<TickOutput>> outputs,
                               QObject* parent)
    : QObject(parent), m_options(std::move(options)), m_receiver(m_options.receiver), m_fanout(std::move(outputs))
{
    m_realTime = RealTimeEpochs(m_options.hz);
    connect(&m_seconds, &SecondTimer::coming, this, &NmeaInvocation::composeAhead);
    connect(&m_seconds, &SecondTimer::tick, this, &NmeaInvocation::realTimeTick);
    connect(&m_fanout, &TickFanout::failed, this, &NmeaInvocation::outputFailed);
    connect(&m_fanout, &TickFanout::finished, this, &NmeaInvocation::ended);
    connect(&m_fanout, &TickFanout::becameIdle, this, &NmeaInvocation::sayHeldNotices);
    if (!m_options.quiet)
        connect(&m_fanout, &TickFanout::notice, this, [this](const QString& line) { say(line.toStdString()); });
    m_sharedTerminal = m_options.toStandardOutput() && StandardOutputMayShowOnTerminal();
    m_statusLine = !m_options.quiet && StandardErrorIsTerminal() && !m_sharedTerminal;
    const char* debug = std::getenv("QUILVEX_TICK_DEBUG");
    m_timingDebug = debug && *debug && std::string(debug) != "0";
}

NmeaInvocation::~NmeaInvocation() = default;

// The next tick's epoch from the first tick's, which moves the receiver and
// whose second opens and closes --fix-loss windows, and its stamp. Neither
// reads the wall clock, so a step of it moves neither the place nor a
// window: with --at the epoch is the tick's number over the rate; with
// --start the epochs the monotonic clock counted since the first tick, the
// stamp the start plus those. Any other real-time tick is as
// RealTimeEpochs (core/) tells, as in the window.
// Decides only: the schedule's state moves when the tick is taken.
NmeaInvocation::Due NmeaInvocation::dueAt(const TickSchedule::Timing& timing) const
{
    using namespace std::chrono;
    const milliseconds last = m_receiver.sinceFirst;
    const auto newSecond = [&](milliseconds next) {
        return m_ticks == 0 || floor<seconds>(next) != floor<seconds>(last);
    };
    Due due{{}, {}, false, m_firstMonotonic, m_realTime, m_startGaps};
    if (m_options.at) {
        const milliseconds next = m_ticks * period();
        due.sinceFirst = next, due.instant = *m_options.at + next, due.firstOfSecond = newSecond(next);
        return due;
    }
    if (!m_options.start) {
        const RealTimeEpochs::Due next = due.realTime.next(timing);  // a copy's, kept if the tick is taken
        due.sinceFirst = next.sinceFirst, due.instant = next.instant, due.firstOfSecond = next.firstOfSecond;
        return due;
    }
    const nanoseconds monotonic = timing.at.time_since_epoch() - timing.offset;
    if (m_ticks == 0)
        due.firstMonotonic = monotonic;
    // Ticks come on the grid, a few milliseconds either way.
    long long epoch = std::llround(duration<double>(monotonic - due.firstMonotonic) / period());
    const long long lastEpoch = last / period();
    if (m_ticks > 0)
        epoch = std::max(epoch, lastEpoch + 1);
    due.startGaps = m_ticks > 0 ? epoch - lastEpoch - 1 : 0;
    const milliseconds next = epoch * period();
    due.sinceFirst = next, due.instant = *m_options.start + next, due.firstOfSecond = newSecond(next);
    return due;
}

// "08:18:36.75": the last tick's stamp, as the status line shows it.
std::string NmeaInvocation::lastStamp() const
{
    const TimeTexts& t = m_lastTime;
    return t.hh + ":" + t.mm + ":" + t.ss + "." + t.cc;
}

// "tick 30" at 1 Hz, where ticks are seconds; "second 30" above.
std::string NmeaInvocation::runSecond(long long second) const
{
    return (m_options.hz == 1 ? "tick " : "second ") + std::to_string(second);
}

Tick NmeaInvocation::takeTick(const Due& due)
{
    m_firstMonotonic = due.firstMonotonic;
    m_realTime = due.realTime;
    m_startGaps = due.startGaps;
    ++m_ticks;
    m_startSkipped += m_startGaps;
    m_receiver = AdvancedTo(std::move(m_receiver), due.sinceFirst);
    const bool fix = HasFix(m_receiver);
    if (fix != m_hadFix && !m_options.quiet) {
        // A fix switched off says so at the signal.
        if (fix)
            say("fix back at " + runSecond(RunSecond(m_receiver)));
        else if (!m_receiver.fixSwitchedOff)
            say("fix lost at " + runSecond(RunSecond(m_receiver)) +
                (m_receiver.replay && !m_receiver.replay->fix ? " (the log has none)" : " (--fix-loss)"));
    }
    m_hadFix = fix;
    TickTime time = TickTimeAt(due.instant);
    Tick tick = ComposeTick(m_receiver, time, due.firstOfSecond);
    m_lastTime = std::move(time.texts);
    return tick;
}

bool NmeaInvocation::done() const
{
    return m_options.count != 0 && m_ticks >= m_options.count;
}

long long NmeaInvocation::skipped() const
{
    if (m_options.start)
        return m_fanout.skippedTicks() + m_startSkipped;
    return m_fanout.skippedTicks() + (m_options.at ? 0 : m_seconds.skippedTicks());
}

void NmeaInvocation::say(const std::string& line)
{
    // On a terminal shared with the ticks, a line waits for the tick being written.
    if (m_sharedTerminal && !m_fanout.pacedIdle()) {
        m_heldNotices.push_back(line);
        return;
    }
    std::fprintf(stderr, "%squilvex-nmea: %s\n", statusErased().c_str(), line.c_str());
}

void NmeaInvocation::sayHeldNotices()
{
    if (!m_fanout.pacedIdle())
        return;
    std::vector<std::string> lines;
    lines.swap(m_heldNotices);
    for (const std::string& line : lines)
        say(line);
}

void NmeaInvocation::start()
{
    if (m_finishing)  // a stop signal came first
        return;
    // A log is read up to its first fix before anything opens, without
    // holding up the event loop: a stop signal still ends the run at once.
    if (m_options.replay && !m_replayReady) {
        if (!std::exchange(m_replayBegun, true)) {
            connect(m_options.replay.get(), &ReplayPlayer::ready, this, [this] { m_replayReady = true, start(); });
            connect(m_options.replay.get(), &ReplayPlayer::failed, this, &NmeaInvocation::replayFailed);
            m_options.replay->begin();
        }
        return;
    }
    if (const auto error = m_fanout.open()) {
        outputFailed(*error);
        return;
    }
    m_clock.start();
    m_paced = m_fanout.paces() && m_options.at;
    if (!m_options.quiet) {
        std::string line = "sending " + Describe(m_options) + " to " + m_fanout.describe();
        std::string names;
        for (const Destination& d : m_options.destinations)
            if (!d.name.empty())
                names += (names.empty() ? "" : ", ") + d.name + " is " + d.address.host;
        if (!names.empty())
            line += " (" + names + ")";
        const Receiver& r = m_options.receiver;
        const long long rate = WholeNumber(m_options.rate).value_or(0);
        const bool slowPort = m_options.serialPort() && !CarriesWholeStandardTick(rate, r.systems, r.dialect);
        if (slowPort && r.format == NmeaFormat::Standard) {
            line += "; at " + m_options.rate + " bit/s the port gets the sky one GSV sentence a tick, in turn";
            if (!CarriesInASecond(rate, WidestStandardTick(r.systems, r.dialect).withOneGsv))
                line += ", and even then a tick may outlast its second, so some are skipped";
        }
        // A replay that does not loop ends with its log, so it needs no stopping.
        const bool endsWithLog = m_options.replay && !m_options.replay->loops();
        if (m_options.count == 0 && !endsWithLog)
            line += "; " + HowToStop();
        say(line);
    }
    if (m_paced) {
        connect(&m_fanout, &TickFanout::becameIdle, this, &NmeaInvocation::sendStamped, Qt::QueuedConnection);
        if (m_options.replay)  // stamped ticks wait for the log's next records
            connect(m_options.replay.get(), &ReplayPlayer::more, this, &NmeaInvocation::sendStamped, Qt::QueuedConnection);
        sendStamped();
    } else {
        // Real-time ticks, and stamped ones for outputs that set no pace of their own.
        m_seconds.setRate(m_options.hz);
        m_seconds.start();
    }
}

// Stamped ticks stop before a five-digit year; from then on the run is done.
void NmeaInvocation::endStamps()
{
    say("stamped ticks reached the end of year 9999");
    m_status = Outranking(m_status, kExitUsage);
    m_options.count = m_ticks;
}

// After the log's end no tick goes: the run is done.
void NmeaInvocation::endReplay()
{
    if (const auto problem = m_options.replay->problem()) {
        say("--replay " + m_options.replayFile + ": " + problem->message);
        m_status = Outranking(m_status, problem->unreadable ? kExitOutputFailed : kExitUsage);
    }
    m_options.count = m_ticks;
}

void NmeaInvocation::replayFailed(const FileProblem& problem)
{
    say("--replay " + m_options.replayFile + ": " + problem.message);
    finish(problem.unreadable ? kExitOutputFailed : kExitUsage, kDrainAtSignal);
}

// The tick due at this timing, taken; none when the stamps or the log have
// run out (either ends the run), or, for stamped ticks, while the log's
// next records are not read yet. Real-time ticks go on meanwhile, with the
// place the log last gave.
std::optional<Tick> NmeaInvocation::takeDueTick(const TickSchedule::Timing& timing)
{
    const Due due = dueAt(timing);
    if (due.instant > kLastStampedInstant) {
        endStamps();
        return std::nullopt;
    }
    if (m_options.replay) {
        const ReplayCursor::At at = m_options.replay->at(due.sinceFirst);  // reads the log on
        if (at.state == ReplayCursor::At::State::Ended) {
            endReplay();
            return std::nullopt;
        }
        if (at.state == ReplayCursor::At::State::Waiting && m_options.at)
            return std::nullopt;
        m_receiver.replay = at.replayed;
    }
    return takeTick(due);
}

// Above 1 Hz a tick carries its epoch's instant, known before it is due, so
// it is made then and only handed over at the instant. At 1 Hz the stamp is
// the instant the tick goes, as it always was.
void NmeaInvocation::composeAhead()
{
    if (m_finishing || m_options.hz == 1)
        return;
    m_ahead = takeDueTick(m_seconds.upcoming());
    m_composedAhead = true;
}

void NmeaInvocation::realTimeTick()
{
    if (m_finishing)
        return;
    std::optional<Tick> tick = m_composedAhead ? std::move(m_ahead) : takeDueTick(m_seconds.timing());
    m_composedAhead = false;
    m_ahead.reset();
    if (tick) {
        m_fanout.send(*tick);
        reportTiming();
        showStatus();
    }
    if (done())
        finish(kExitDone, kDrainAtEnd);
}

// Seconds that got no tick are told, at most once a minute; with
// QUILVEX_TICK_DEBUG set, every tick's timing is.
void NmeaInvocation::reportTiming()
{
    const TickSchedule::Timing& t = m_seconds.timing();
    if (m_timingDebug) {
        const auto offset = t.offset.count();
        char line[160];
        std::snprintf(line, sizeof line,
                      "tick %lld at %s UTC: %.3f ms late, wall-monotonic %" PRId64 ".%09" PRId64 " s, stepped %+lld ms, %lld skipped",
                      m_options.hz == 1 ? RunSecond(m_receiver) : m_ticks - 1, lastStamp().c_str(),
                      double(t.late.count()) / 1000.0, std::int64_t(offset / 1000000000),
                      std::int64_t(offset % 1000000000), static_cast<long long>(t.stepped.count()), t.skipped);
        say(line);
    }
    const long long skipped = m_options.start ? m_startGaps : t.skipped;
    if (m_options.at || skipped == 0)
        return;
    m_unsaidSkips += skipped;
    const qint64 now = m_clock.elapsed();
    if (m_options.quiet || (m_lastSkipNoticeMs >= 0 && now - m_lastSkipNoticeMs < kSkipNoticeEveryMs))
        return;
    // --start stamps follow the monotonic clock: a step skips none of them.
    const bool stepped = !m_options.start && std::chrono::abs(t.stepped) >= TickSchedule::kStepAtLeast;
    const double by = std::chrono::duration<double>(stepped ? t.stepped : t.late - t.stepped).count();
    const char* unit = m_options.hz == 1 ? " second" : " epoch";
    say(std::to_string(m_unsaidSkips) + unit + (m_unsaidSkips == 1 ? "" : "s") + " got no tick: " +
        (stepped ? "the clock stepped forward " + Seconds(by) : "the timer woke " + Seconds(by) + " late (a busy machine)"));
    m_unsaidSkips = 0;
    m_lastSkipNoticeMs = now;
}

void NmeaInvocation::sendStamped()
{
    if (m_finishing || !m_fanout.pacedIdle())
        return;
    if (done()) {
        finish(kExitDone, kDrainAtEnd);
        return;
    }
    std::vector<Tick> batch;
    for (int i = 0; i < kStampedBatch && !done(); ++i) {
        std::optional<Tick> tick = takeDueTick(m_seconds.timing());
        if (!tick)
            break;
        batch.push_back(std::move(*tick));
    }
    if (!batch.empty())
        m_fanout.sendStamped(batch);
    else if (done())
        finish(kExitDone, kDrainAtEnd);
    // else the log's next records start the next batch
}

void NmeaInvocation::showStatus()
{
    // A job in the background writes no line in place: it would splice into
    // the output of whatever runs in the foreground.
    if (!m_statusLine || !InTerminalForeground())
        return;
    std::string state;
    if (const int n = m_fanout.consumers(); n >= 0)
        state += ", " + std::to_string(n) + (n == 1 ? " TCP client" : " TCP clients");
    if (!m_hadFix)
        state += ", no fix";
    // Above 1 Hz it counts the run's seconds, as --fix-loss does.
    const std::string count = m_options.hz == 1 ? Ticks(m_ticks)
                                                : "second " + std::to_string(RunSecond(m_receiver)) + " at " +
                                                      std::to_string(m_options.hz) + " Hz, " + Ticks(m_ticks);
    const std::string text = count + ", " + std::to_string(skipped()) + " skipped, last " + lastStamp() + " UTC" + state;
    const std::string erased = StandardErrorTakesEscapes() ? "\x1b[K" : std::string(
        m_statusWidth > text.size() ? m_statusWidth - text.size() : 0, ' ');
    std::fprintf(stderr, "\r%s%s", text.c_str(), erased.c_str());
    m_statusWidth = std::max(m_statusWidth, text.size());
    m_statusLineShown = true;
}

// What takes the status line away before a line of text.
std::string NmeaInvocation::statusErased() const
{
    if (!m_statusLineShown)
        return {};
    if (StandardErrorTakesEscapes())
        return "\r\x1b[K";
    std::string blanks(m_statusWidth + 2, ' ');
    blanks.front() = blanks.back() = '\r';
    return blanks;
}

void NmeaInvocation::outputFailed(const OutputError& error)
{
    say(OutputErrorMessage(error, Language::English));
    finish(kExitOutputFailed, kDrainAtSignal);
}

void NmeaInvocation::toggleFix()
{
    m_receiver.fixSwitchedOff = !m_receiver.fixSwitchedOff;
    if (m_options.quiet)
        return;
    if (m_receiver.fixSwitchedOff) {
        say("fix switched off (SIGUSR1)");
        return;
    }
    const long long next = m_ticks == 0 ? 0 : RunSecond(m_receiver) + 1;
    const long long back = FixLossEnd(m_receiver.fixLoss, next);
    say(back == next ? "fix switched on again (SIGUSR1)"
                     : "fix switched on again (SIGUSR1); the ticks have none until " + runSecond(back) +
                           " (--fix-loss)");
}

void NmeaInvocation::stop()
{
    finish(m_status, kDrainAtSignal);
}

// What the outputs still hold goes out first, as long as it moves; a second
// call (another signal) cuts that short.
void NmeaInvocation::finish(ExitStatus status, std::chrono::milliseconds drainLimit)
{
    m_status = Outranking(m_status, status);
    m_finishing = true;
    m_seconds.stop();
    m_fanout.finish(drainLimit);
}

void NmeaInvocation::ended(const std::vector<OutputEnding>& endings)
{
    sayHeldNotices();
    for (const OutputEnding& ending : endings) {
        if (ending.heldBytes > 0 && m_status != kExitOutputFailed) {
            say(std::to_string(ending.heldBytes) + " bytes could not leave " + ending.what + ": the line is held");
            m_status = Outranking(m_status, kExitHeld);
        }
    }
    if (m_options.replay && m_replayReady && !m_options.quiet)
        if (const std::string notice = m_options.replay->notice(); !notice.empty())
            say(m_options.replayFile + ": " + notice);
    for (const OutputEnding& ending : endings)
        if (ending.skippedTicks > 0)
            say(ending.what + ": " + Ticks(ending.skippedTicks) + " skipped while the consumer was busy");
    // On a terminal one line stays in place of the status line.
    if (!m_options.quiet && StandardErrorIsTerminal() && m_clock.isValid()) {
        m_statusLineShown = m_statusLineShown || InTerminalForeground();  // or a ^C the terminal echoed
        say(Ticks(m_ticks) + ", " + std::to_string(skipped()) + " skipped in " +
            Seconds(double(m_clock.elapsed()) / 1000.0));
    }
    QCoreApplication::exit(m_status);
}

}  // namespace quilvex
