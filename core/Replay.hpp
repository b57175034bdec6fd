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

// A log played from its first fix on, read as it goes: it holds two fixes
// whatever the log's length.
class ReplayCursor {
public:
    // Each call gives the log's next fix; nothing at its end.
    using Source = std::function<std::optional<RecordedFix>()>;
    // Reads up to the first fix with a fix; records before it are passed.
    explicit ReplayCursor(Source source);

    bool empty() const { return !m_last; }
    // The log this long after its first fix; nothing once past its last.
    std::optional<Replayed> at(std::chrono::milliseconds sinceFirst);
    long long backwards() const { return m_backwards; }  // fixes skipped: not later than the one before

private:
    std::optional<RecordedFix> pull();

    Source m_source;
    std::optional<RecordedFix> m_last, m_next;
    UtcInstant m_first{};
    long long m_backwards = 0;
};

}  // namespace quilvex
