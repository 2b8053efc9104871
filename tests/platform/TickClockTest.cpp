#include "platform/TickClock.h"

#include <gtest/gtest.h>

TEST(TickClockTest, InjectedSourceAndWrap)
{
    uint32_t Now = 0xFFFFFF00u;
    TickClock::SetTickSource([&] { return Now; });
    const uint32_t Start = TickClock::GetTickCount();
    Now += 0x200; // wraps past zero
    EXPECT_EQ(TickClock::GetTickCount(), 0x100u);
    EXPECT_EQ(TickClock::TicksSince(Start, TickClock::GetTickCount()), 0x200u);
    TickClock::SetTickSource({});
    const uint32_t A = TickClock::GetTickCount();
    EXPECT_LE(TickClock::TicksSince(A, TickClock::GetTickCount()), 1000u);
}
