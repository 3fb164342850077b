// The accessible object of a skinned window's client area (IAccessible,
// answered to WM_GETOBJECT): its children are the window's visible buttons,
// labels and progress bars, in tree order, then its visible child windows.
// The object outlives nothing: it keeps the window handle only and finds
// the window manager and the controls anew in every call, so a call after
// the window or a control has gone fails cleanly instead of reaching freed
// memory. A button's default action is posted and clicks the button from
// the window's own message handling, as a mouse click does.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace SkinUI {

class CWindowManagerUI;

// A name for a control that has neither text nor tooltip, by control name.
struct TAccessibleName {
    std::wstring control;
    std::wstring name;
};

// Answers WM_GETOBJECT for the client area (OBJID_CLIENT) with a new
// accessible object. False for every other object and when the object
// cannot be handed out: the default procedure then answers.
bool AnswerAccessibleObject(HWND window, WPARAM flags, LPARAM objectId, const std::vector<TAccessibleName>& names,
                            LRESULT& result);

// The message a default action is posted to the window with.
UINT AccessibleActionMessage();

// Runs a posted default action: clicks the button at `ordinal` among the
// window's visible controls when it is still the control the client acted
// on (`identity`); anything else is dropped.
void RunAccessibleAction(CWindowManagerUI& manager, WPARAM ordinal, LPARAM identity);

}  // namespace SkinUI
