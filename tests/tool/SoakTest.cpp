#include "StampedStream.hpp"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <cstdio>

// A million stamped ticks (about 307 MB) through a pseudo-terminal.
TEST(Soak, MillionStampedTicksWholeInOrderInFlatMemory)
{
    constexpr long long kTicks = 1000000;
    const StampedStreamResult r = RunStampedStream(QUILVEX_NMEA, kTicks);
    std::printf("soak: %lld ticks, %.1f MB in %.2f s: %.0f ticks/s, %.1f MB/s; "
                "RSS %ld KiB after 1000 ticks, %ld KiB at 90%%, peak %ld KiB\n",
                r.wholeTicksInOrder, double(r.bytes) / 1e6, r.seconds, double(r.wholeTicksInOrder) / r.seconds,
                double(r.bytes) / 1e6 / r.seconds, r.earlyKiB, r.lateKiB, r.peakKiB);
    EXPECT_EQ(r.exitCode, 0) << r.toolError;
    EXPECT_EQ(r.bytes, kTicks * 307);
    EXPECT_EQ(r.wholeTicksInOrder, kTicks) << r.firstWrongTick;
#ifndef QUILVEX_SANITIZED
    EXPECT_LT(r.lateKiB, r.earlyKiB + 1024);
#endif
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
