#pragma once

#include "Sky.hpp"
#include "modGeneral.hpp"

#include <chrono>
#include <functional>
#include <optional>

namespace quilvex {

// One fix as a log recorded it.
struct RecordedFix {
    UtcInstant at{};
    bool valid = true;  // the receiver had a fix
    GeoPoint place{};
    // A GPX track records neither: they come from the way to the next fix.
    std::optional<double> knots{};
    std::optional<double> courseDeg{};
};

// What a replayed tick carries.
struct Replayed {
    bool fix = false;
    GeoPoint place{};
    double knots = 0;
    double courseDeg = 0;
};

// Longer than this between two fixes, a receiver had lost the sky.
inline constexpr std::chrono::seconds kLongestGap{10};

// The log at instant t, from its last fix at or before t and the next one
// (none at its end): on the geodesic between them, or no fix where the
// last had none or the gap to the next is too long.
Replayed ReplayedBetween(const RecordedFix& last, const RecordedFix* next, UtcInstant t);

// What a log's reader has next: a record, none yet (a writer that has not
// written it), or none ever.
struct LogNext {
    enum class State { Fix, Waiting, Ended } state;
    RecordedFix fix{};
};

// A log played from its first record on, read as it goes without ever
// waiting for its reader: it holds two records whatever the log's length.
class ReplayCursor {
public:
    using Source = std::function<LogNext()>;
    explicit ReplayCursor(Source source) : m_source(std::move(source)) {}

    // Reads up to the first fix: the records before it are a time without
    // one. Call again while it says Waiting.
    enum class Start { Waiting, Ready, NoFix };
    Start begin();

    // The log this long after its first record. While the next record is
    // not read yet, the last one's place holds, for as long as a gap may.
    struct At {
        enum class State { Playing, Waiting, Ended } state;
        Replayed replayed{};
    };
    At at(std::chrono::milliseconds sinceFirst);
    long long backwards() const { return m_backwards; }  // records skipped: not later than the one before

private:
    LogNext pull();

    Source m_source;
    std::optional<RecordedFix> m_last, m_next;
    bool m_ended = false;
    UtcInstant m_first{};
    long long m_backwards = 0;
};

}  // namespace quilvex
