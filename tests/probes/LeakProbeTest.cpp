#include <gtest/gtest.h>
int* volatile g_lost = nullptr;
TEST(LeakProbe, LosesItsOnlyPointer)
{
    g_lost = new int[64];
    g_lost[0] = 1;
    g_lost = nullptr;
    SUCCEED();
}
