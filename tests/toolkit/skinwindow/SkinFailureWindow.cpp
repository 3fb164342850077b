// A skinned window whose layout file is not in the package: its creation
// shows the load-failure box and ends the process with exit code 1.
#include <windows.h>

#include "toolkit/skinwindow/WindowImplBase.h"

namespace {

class MissingLayoutWindow : public SkinUI::WindowImplBase {
protected:
    const wchar_t* WindowClassName() const override { return L"MissingLayoutWindow"; }
    const wchar_t* SkinFolder() const override { return L""; }
    const wchar_t* SkinFile() const override { return L"NoSuchLayout.xml"; }
    SkinUI::SkinSource SkinSourceKind() const override { return SkinUI::SkinSource::ZipResource; }
    const wchar_t* SkinResourceId() const override { return L"130"; }
};

}  // namespace

int main()
{
    SkinUI::CWindowManagerUI::StartUp(::GetModuleHandleW(nullptr));
    MissingLayoutWindow window;
    window.Create(nullptr, L"missing", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 0, 0, 0);
    // Reached only when creation did not end the process.
    return 2;
}
