#include <gtest/gtest.h>
TEST(SkipProbe, Runs) { EXPECT_EQ(1 + 1, 2); }
TEST(SkipProbe, IsSkipped) { GTEST_SKIP() << "the probe's own reason"; }
