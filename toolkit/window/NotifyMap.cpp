#include "toolkit/window/NotifyMap.h"

#include "toolkit/controls/ControlUI.h"

namespace SkinUI {

const TNotifyMapEntry* FindNotifyEntry(const TNotifyMap* map, std::wstring_view type, std::wstring_view senderName)
{
    for (; map; map = map->pBase) {
        const TNotifyMapEntry* anyControl = nullptr;
        for (const TNotifyMapEntry* entry = map->pEntries; entry && entry->nKind != NOTIFY_KIND_END; ++entry) {
            if (type != entry->sType) continue;
            const std::wstring_view controlName = entry->sControlName ? entry->sControlName : L"";
            if (controlName.empty())
                anyControl = entry;
            else if (controlName == senderName)
                return entry;
        }
        if (anyControl) return anyControl;
    }
    return nullptr;
}

const TNotifyMap* CNotifyPump::ClassNotifyMap()
{
    static const TNotifyMapEntry entries[] = {kNotifyMapEnd};
    static const TNotifyMap map = {nullptr, entries};
    return &map;
}

bool CNotifyPump::AddVirtualWindow(std::wstring_view name, CNotifyPump* pump)
{
    if (name.empty() || !pump) return false;
    return m_mVirtualWindows.Insert(name, pump);
}

bool CNotifyPump::RemoveVirtualWindow(std::wstring_view name)
{
    return m_mVirtualWindows.Remove(name);
}

bool CNotifyPump::DispatchNotify(TNotifyRecord& record)
{
    if (!record.sVirtualWnd.IsEmpty()) {
        bool handled = false;
        m_mVirtualWindows.ForEach([&](std::wstring_view name, void* value) {
            if (handled || record.sVirtualWnd.CompareNoCase(name) != 0) return;
            handled = static_cast<CNotifyPump*>(value)->DispatchThroughMap(record);
        });
        if (handled) return true;
    }
    return DispatchThroughMap(record);
}

bool CNotifyPump::DispatchThroughMap(TNotifyRecord& record)
{
    const std::wstring_view sender = record.pSender ? record.pSender->Name().View() : std::wstring_view();
    const TNotifyMapEntry* entry = FindNotifyEntry(NotifyMap(), record.sType.View(), sender);
    if (!entry) return false;
    if (entry->nKind == NOTIFY_KIND_ARGS)
        (this->*entry->pfnArgs)(record.wParam, record.lParam);
    else
        (this->*entry->pfnRecord)(record);
    return true;
}

}  // namespace SkinUI
