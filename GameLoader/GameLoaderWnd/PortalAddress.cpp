#include "GameLoader/GameLoaderWnd/PortalAddress.h"

#ifndef VRK_PORTAL_HOST
#error "VRK_PORTAL_HOST is set by the build (CMake cache variable of the same name)"
#endif

const char kPortalBaseAddress[] = "https://" VRK_PORTAL_HOST "/client/index/vrk";

void AppendFileParam(std::wstring& address, const std::wstring& fileParam)
{
    address += address.find(L'?') == std::wstring::npos ? L"?fileparam=" : L"&fileparam=";
    address += fileParam;
}

void AppendLaunchQuery(std::wstring& address, const LaunchParams& params)
{
    const struct {
        const wchar_t* key;
        const std::wstring& value;
    } query[] = {
        {L"&token=", params.token},
        {L"&source=", params.source},
        {L"&qxext=", params.qxext},
        {L"&tokenLogin=", params.tokenLogin},
    };
    for (const auto& item : query) {
        if (!item.value.empty()) address.append(item.key).append(item.value);
    }
}

std::wstring PortalAddress(const std::wstring& fileParam, const LaunchParams& params)
{
    const std::string base = kPortalBaseAddress;  // ASCII
    std::wstring address(base.begin(), base.end());
    AppendFileParam(address, fileParam);
    AppendLaunchQuery(address, params);
    return address;
}
