#include "toolkit/window/MessageHooks.h"

namespace SkinUI {

bool CMessageHooks::RunHandlerFilters(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    return m_handlerFilters.Run([&](IMessageFilterUI* filter) {
        bool handled = false;
        const LRESULT answer = filter->FilterMessage(message, wParam, lParam, handled);
        if (handled) result = answer;
        return handled;
    });
}

bool CMessageHooks::RunPreFilters(UINT message, WPARAM wParam, LPARAM lParam)
{
    return m_preFilters.Run([&](IMessageFilterUI* filter) {
        bool handled = false;
        filter->FilterMessage(message, wParam, lParam, handled);
        return handled;
    });
}

bool CMessageHooks::Translate(MSG* msg)
{
    return m_accelerators.Run([msg](ITranslateAccelerator* accelerator) { return accelerator->PreTranslate(msg) == 0; });
}

void CMessageHooks::ForgetOwner(const CControlUI* owner) noexcept
{
    m_handlerFilters.ForgetOwner(owner);
    m_preFilters.ForgetOwner(owner);
    m_accelerators.ForgetOwner(owner);
}

void CMessageHooks::Clear() noexcept
{
    m_handlerFilters.Clear();
    m_preFilters.Clear();
    m_accelerators.Clear();
}

}  // namespace SkinUI
