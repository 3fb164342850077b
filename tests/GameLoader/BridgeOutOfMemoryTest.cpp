// The launcher's COM entry points when memory runs out: the page's bridge
// call and the browser's new-window event answer or give up, and no
// std::bad_alloc crosses into the browser (which would end the process).
#include <gtest/gtest.h>

#include <shobjidl.h>

#include <memory>
#include <string>

#include "GameLoader/CIeBrowserUI/CIeBrowserUI.h"
#include "GameLoader/CIeBrowserUI/WebBrowserEvent.h"
#include "tests/support/TestAllocator.h"

namespace {

TEST(BridgeOutOfMemoryTest, TheBridgeCallAnswersEOutOfMemory)
{
    const auto requests = std::make_shared<OpenGameRequests>();
    CIeBrowserUI bridge(nullptr, requests);
    VARIANTARG arg;
    ::VariantInit(&arg);
    arg.vt = VT_BSTR;
    arg.bstrVal = ::SysAllocString(L"{\"funcation_name\":\"open_game\",\"token\":\"T0k\"}");
    DISPPARAMS params = {&arg, nullptr, 1, 0};
    HRESULT hr = S_OK;
    const long before = testsupport::HeapAllocationCount();
    {
        const testsupport::OutOfMemory noMemory;
        hr = bridge.Invoke(DISPID_CALLCPPFUNC, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
    }
    EXPECT_GT(testsupport::HeapAllocationCount(), before) << "the call did try to allocate";
    EXPECT_EQ(hr, E_OUTOFMEMORY);
    EXPECT_EQ(requests->Pending(), 0u);
    // With memory back the same call goes through.
    EXPECT_EQ(bridge.Invoke(DISPID_CALLCPPFUNC, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr),
              DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(requests->Pending(), 1u);
    ::VariantClear(&arg);
}

TEST(BridgeOutOfMemoryTest, ANewWindowIsRefusedAndStillCancelled)
{
    CWebBrowserEvent events(nullptr);
    VARIANT_BOOL cancel = VARIANT_FALSE;
    VARIANT_BOOL* cancelRef = &cancel;
    const BSTR url = ::SysAllocString(L"https://news.vorkan.test/a b");
    {
        const testsupport::OutOfMemory noMemory;
        events.NewWindow3(nullptr, cancelRef, NWMF_USERINITED, nullptr, url);
    }
    ::SysFreeString(url);
    EXPECT_EQ(cancel, VARIANT_TRUE);
    EXPECT_FALSE(events.TakeNewWindowAddress().has_value());
}

}  // namespace
