// Stand-ins of the control tests: a notification target that keeps what it
// receives, and a layout that keeps the events its children pass up.
#pragma once

#include <string>
#include <vector>

#include "toolkit/layout/VerticalLayoutUI.h"
#include "toolkit/controls/UiEvents.h"

namespace skintest {

struct NotifyLog : SkinUI::INotifyUI {
    std::vector<std::wstring> types;
    std::vector<SkinUI::TNotifyRecord> records;
    void OnNotify(SkinUI::TNotifyRecord& record) override
    {
        types.push_back(std::wstring(record.sType.View()));
        records.push_back(record);
    }
    int Count(const wchar_t* type) const
    {
        int n = 0;
        for (const std::wstring& t : types) n += t == type;
        return n;
    }
};

struct RecordingLayout : SkinUI::CVerticalLayoutUI {
    std::vector<int> events;
    void HandleEvent(SkinUI::TEventRecord& event) override { events.push_back(event.nType); }
};

}  // namespace skintest
