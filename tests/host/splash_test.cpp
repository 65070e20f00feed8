// The splash program's display time.
#include <gtest/gtest.h>

#include "splash/timeout.h"

namespace {

TEST(SplashTime, SecondsBecomeTicksRoundedHalfToEven) {
    EXPECT_EQ(splash_ticks(""), 600);
    EXPECT_EQ(splash_ticks("4"), 400);
    EXPECT_EQ(splash_ticks("2.5"), 250);
    EXPECT_EQ(splash_ticks("0.125"), 12);  // 12.5 goes to the even 12
    EXPECT_EQ(splash_ticks("0.375"), 38);  // 37.5 goes to the even 38
    EXPECT_EQ(splash_ticks("0.004"), 0);
    EXPECT_EQ(splash_ticks("abc"), 0);
    EXPECT_EQ(splash_ticks("-1"), -100);
    EXPECT_EQ(splash_ticks("4 seconds"), 400);
    EXPECT_EQ(splash_ticks("1e30"), INT32_MAX);
    EXPECT_EQ(splash_ticks("-1e30"), INT32_MIN);
}

}  // namespace
