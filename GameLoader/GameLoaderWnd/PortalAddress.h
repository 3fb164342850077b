// The portal page address: the portal's base address and the launch
// parameters as query keys. Portable: no <windows.h>.
#pragma once

#include <string>

#include "GameLoader/GameLoader/LaunchParams.h"

// "https://<portal host>/client/index/vrk". The host is fixed when the
// launcher is built (CMake cache variable VRK_PORTAL_HOST).
extern const char kPortalBaseAddress[];

// Appends "?fileparam=" (or "&fileparam=" when the address already has a
// query) and the value, also when the value is empty.
void AppendFileParam(std::wstring& address, const std::wstring& fileParam);

// Appends token, source, qxext and tokenLogin, in this order, each only
// when not empty. Values go in as they are: the page reads them unescaped.
void AppendLaunchQuery(std::wstring& address, const LaunchParams& params);

// The address the launcher window navigates to: the base address, the
// file parameter, then the launch query.
std::wstring PortalAddress(const std::wstring& fileParam, const LaunchParams& params);
