// The page's open-game requests on their way from the bridge to the
// launcher window. WM_LAUNCHER_OPEN_GAME carries no pointer: any process on
// the desktop can post that message, so it is only a wake-up, and the window
// takes the request text from this queue, which only its own bridge fills.
// Both live on the window thread; the queue is shared because the bridge
// control and the window go at different moments. Free of <windows.h>.
#pragma once

#include <cstddef>
#include <deque>
#include <memory>
#include <optional>
#include <string>

class OpenGameRequests {
public:
    // Far more than a page's start button can queue before the window has
    // taken the first request (which closes the launcher).
    static constexpr std::size_t kMaxPending = 8;

    // Queues the whole request text (ANSI code page); false when the queue
    // is full and the request is dropped.
    bool Push(std::string text)
    {
        if (m_texts.size() >= kMaxPending) return false;
        m_texts.push_back(std::move(text));
        return true;
    }
    // Takes back the request just pushed: its wake-up could not be posted.
    void DropNewest()
    {
        if (!m_texts.empty()) m_texts.pop_back();
    }
    // The oldest request, or none: a wake-up that nobody queued.
    std::optional<std::string> Take()
    {
        if (m_texts.empty()) return std::nullopt;
        std::optional<std::string> text(std::move(m_texts.front()));
        m_texts.pop_front();
        return text;
    }
    std::size_t Pending() const { return m_texts.size(); }

private:
    std::deque<std::string> m_texts;
};

using SharedOpenGameRequests = std::shared_ptr<OpenGameRequests>;
