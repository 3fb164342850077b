#include "GameLoader/GameLoaderWnd/PortalAddress.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::wstring Widen(const std::string& ascii)
{
    return std::wstring(ascii.begin(), ascii.end());
}

TEST(PortalAddressTest, BaseIsTheBuildsHostWithTheGamePath)
{
    EXPECT_EQ(std::string(kPortalBaseAddress), "https://" VRK_PORTAL_HOST "/client/index/vrk");
    EXPECT_EQ(std::string(kPortalBaseAddress).find('?'), std::string::npos);
}

TEST(PortalAddressTest, QueryKeysInFixedOrderOnlyWhenSet)
{
    struct Case {
        const wchar_t* fileParam;
        LaunchParams params;
        const wchar_t* query;  // what follows the base address
    };
    auto params = [](const wchar_t* token, const wchar_t* source, const wchar_t* qxext, const wchar_t* tokenLogin) {
        LaunchParams p;
        p.token = token;
        p.source = source;
        p.qxext = qxext;
        p.tokenLogin = tokenLogin;
        p.winid = L"5678";  // never in the address
        p.gameMgrId = L"1234";
        return p;
    };
    const Case cases[] = {
        {L"abc", params(L"", L"QX", L"", L"0"), L"?fileparam=abc&source=QX&tokenLogin=0"},
        {L"", params(L"", L"", L"", L""), L"?fileparam="},
        {L"f", params(L"T", L"QX", L"e", L"1"), L"?fileparam=f&token=T&source=QX&qxext=e&tokenLogin=1"},
        {L"", params(L"T", L"", L"", L""), L"?fileparam=&token=T"},
        // Values go in unescaped: the page sees source a and a key b.
        {L"x y", params(L"", L"a&b", L"", L""), L"?fileparam=x y&source=a&b"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PortalAddress(c.fileParam, c.params), Widen(kPortalBaseAddress) + c.query) << c.query;
    }
}

TEST(PortalAddressTest, FileParamJoinsAnExistingQuery)
{
    std::wstring address = L"https://host/page?a=1";
    AppendFileParam(address, L"v");
    EXPECT_EQ(address, L"https://host/page?a=1&fileparam=v");
}

}  // namespace
