#include <gtest/gtest.h>
int* volatile g_nowhere = nullptr;
TEST(CrashProbe, WritesThroughNull)
{
    *g_nowhere = 1;
    SUCCEED();
}
