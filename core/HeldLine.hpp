#pragma once

namespace quilvex {

enum class TickFate {
    Send,     // nothing of ours waits: the tick goes out
    Skip,     // the previous tick is still leaving: let it finish, drop this one
    Replace,  // the previous one has not moved since it was due: withdraw it, send this
};

// A consumer gets a tick whole or not at all, and never one gone stale
// behind a held line. `waiting` is what waits to leave now; `waitingBefore`
// what waited at the previous tick (the size written, after a send).
inline TickFate FateOfTick(long long waiting, long long waitingBefore)
{
    if (waiting <= 0)
        return TickFate::Send;
    return waiting < waitingBefore ? TickFate::Skip : TickFate::Replace;
}

}  // namespace quilvex
