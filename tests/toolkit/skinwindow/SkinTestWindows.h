// Skinned windows of the packed skin ("ZIPRES" 130 of the test program, the
// same skin.zip vrk_main.exe carries) and helpers to run their messages.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "toolkit/skinwindow/WindowImplBase.h"

namespace skintest {

// Starts the toolkit once per process (module instance, shadow class).
void StartToolkit();

// Dispatches the thread's messages for the given time.
void PumpFor(DWORD milliseconds);
// Dispatches until the queue is empty.
void PumpPending();

// Client point to the lParam of a WM_NCHITTEST (screen coordinates).
LPARAM ScreenPointParam(HWND hwnd, POINT client);

class PackedSkinWindow : public SkinUI::WindowImplBase {
public:
    // `skinFile`: "GameLoader.xml" or "CustomMsgBox.xml".
    PackedSkinWindow(const wchar_t* className, const wchar_t* skinFile)
        : m_className(className), m_skinFile(skinFile) {}

    // Creates the window visible at (x, y) with the skin's size and paints it once.
    HWND CreateShown(HWND owner = nullptr, int x = 0, int y = 0);

    int initWindowCalls = 0;
    void InitWindow() override { ++initWindowCalls; }
    // A plain control stands in for the launcher's browser element.
    SkinUI::CControlUI* CreateCustomControl(std::wstring_view name) override;

protected:
    const wchar_t* WindowClassName() const override { return m_className.c_str(); }
    const wchar_t* SkinFolder() const override { return L""; }
    const wchar_t* SkinFile() const override { return m_skinFile.c_str(); }
    SkinUI::SkinSource SkinSourceKind() const override { return SkinUI::SkinSource::ZipResource; }
    const wchar_t* SkinResourceId() const override { return L"130"; }

private:
    std::wstring m_className;
    std::wstring m_skinFile;
};

}  // namespace skintest
