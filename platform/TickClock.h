#pragma once

#include <cstdint>
#include <functional>

// The millisecond tick count: unsigned 32 bits, wrapping. Differences are taken modulo 2^32 and
// compared unsigned, so a timer keeps its rhythm across the wrap.
namespace TickClock {

using TTickSource = std::function<uint32_t()>;

// The current tick: milliseconds since an arbitrary start, wrapping at 2^32.
uint32_t GetTickCount();

// Tests replace the source to walk time by hand (and across the wrap); an empty function restores
// the monotonic clock.
void SetTickSource(TTickSource Source);

// Elapsed ticks from Earlier to Later, modulo 2^32.
inline uint32_t TicksSince(uint32_t Earlier, uint32_t Later)
{
    return Later - Earlier;
}

} // namespace TickClock
