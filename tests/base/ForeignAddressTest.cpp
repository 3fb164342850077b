// Reading through an address a message brought: a readable one is copied,
// anything else is a failed read, never a fault.
#include "base/ForeignAddress.h"

#include <gtest/gtest.h>

namespace {

TEST(ForeignAddressTest, ReadableAddressesAreCopiedAndOthersFailWithoutAFault)
{
    const RECT original = {1, 2, 3, 4};
    RECT copy{};
    ASSERT_TRUE(win32::ReadForeignAddress(reinterpret_cast<LPARAM>(&original), copy));
    EXPECT_TRUE(::EqualRect(&copy, &original));

    // A page that was released, and one that may not be read.
    void* released = ::VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    ASSERT_NE(released, nullptr);
    ASSERT_TRUE(::VirtualFree(released, 0, MEM_RELEASE));
    void* guarded = ::VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_NOACCESS);
    ASSERT_NE(guarded, nullptr);
    // A rectangle that starts on the last bytes of a readable page and runs
    // into the next, unreadable one.
    auto* pages = static_cast<unsigned char*>(::VirtualAlloc(nullptr, 8192, MEM_RESERVE, PAGE_NOACCESS));
    ASSERT_NE(pages, nullptr);
    ASSERT_NE(::VirtualAlloc(pages, 4096, MEM_COMMIT, PAGE_READWRITE), nullptr);
    const LPARAM straddling = reinterpret_cast<LPARAM>(pages + 4096 - 8);

    for (const LPARAM address : {LPARAM{0}, LPARAM{0x10}, reinterpret_cast<LPARAM>(released),
                                 reinterpret_cast<LPARAM>(guarded), straddling, static_cast<LPARAM>(-16)}) {
        RECT untouched = {7, 7, 7, 7};
        EXPECT_FALSE(win32::ReadForeignAddress(address, untouched)) << std::hex << address;
        EXPECT_EQ(untouched.left, 7) << "nothing written on a failed read";
        EXPECT_EQ(untouched.bottom, 7);
    }
    ::VirtualFree(guarded, 0, MEM_RELEASE);
    ::VirtualFree(pages, 0, MEM_RELEASE);
}

}  // namespace
