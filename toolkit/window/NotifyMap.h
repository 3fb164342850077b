// Notification dispatch of a window class: a static table per class linked to
// its base class's table, and the pump that looks a notification up in it.
#pragma once

#include <windows.h>

#include <string_view>

#include "toolkit/controls/UiEvents.h"
#include "toolkit/core/UiStringMap.h"

namespace SkinUI {

class CNotifyPump;

enum NotifyHandlerKind : int {
    NOTIFY_KIND_END = 0,     // ends a table
    NOTIFY_KIND_ARGS = 1,    // the handler takes wParam and lParam
    NOTIFY_KIND_RECORD = 2,  // the handler takes the whole record
};

using NotifyArgsHandler = void (CNotifyPump::*)(WPARAM wParam, LPARAM lParam);
using NotifyRecordHandler = void (CNotifyPump::*)(TNotifyRecord& record);

struct TNotifyMapEntry {
    const wchar_t* sType;
    const wchar_t* sControlName;  // empty: any control
    int nKind;
    NotifyArgsHandler pfnArgs;
    NotifyRecordHandler pfnRecord;
};

struct TNotifyMap {
    const TNotifyMap* pBase;  // none for the root table
    const TNotifyMapEntry* pEntries;
};

// Table entries for a member of a window class T (a CNotifyPump).
template <typename T>
TNotifyMapEntry NotifyOnRecord(const wchar_t* type, const wchar_t* controlName, void (T::*handler)(TNotifyRecord&))
{
    return {type, controlName, NOTIFY_KIND_RECORD, nullptr, static_cast<NotifyRecordHandler>(handler)};
}
template <typename T>
TNotifyMapEntry NotifyOnArgs(const wchar_t* type, const wchar_t* controlName, void (T::*handler)(WPARAM, LPARAM))
{
    return {type, controlName, NOTIFY_KIND_ARGS, static_cast<NotifyArgsHandler>(handler), nullptr};
}
constexpr TNotifyMapEntry kNotifyMapEnd = {L"", L"", NOTIFY_KIND_END, nullptr, nullptr};

// The entry for a notification: the most derived table with a match wins;
// inside a table an entry for the sender's exact name beats the last entry
// for any control. None when no table matches.
const TNotifyMapEntry* FindNotifyEntry(const TNotifyMap* map, std::wstring_view type, std::wstring_view senderName);

class CNotifyPump {
public:
    CNotifyPump() = default;
    CNotifyPump(const CNotifyPump&) = delete;
    CNotifyPump& operator=(const CNotifyPump&) = delete;
    virtual ~CNotifyPump() = default;

    // Pumps registered under a virtual window name (not owned).
    bool AddVirtualWindow(std::wstring_view name, CNotifyPump* pump);
    bool RemoveVirtualWindow(std::wstring_view name);

    // Virtual windows first when the record names one, then the class's
    // tables; true when a handler ran.
    bool DispatchNotify(TNotifyRecord& record);

    static const TNotifyMap* ClassNotifyMap();

protected:
    // Every class with a table answers its own ClassNotifyMap here.
    virtual const TNotifyMap* NotifyMap() const { return ClassNotifyMap(); }

private:
    bool DispatchThroughMap(TNotifyRecord& record);

    CUiStringMap m_mVirtualWindows{83};  // CNotifyPump*
};

}  // namespace SkinUI
