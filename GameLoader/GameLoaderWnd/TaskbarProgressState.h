// What the launcher's taskbar button shows of the download, as the
// platform's messages move it. No system calls: the platform's numbers are
// hostile input, and their handling is tested natively.
#pragma once

#include <cstdint>

enum class TaskbarProgressKind { None, Normal, Indeterminate, Error };

struct TaskbarProgressView {
    TaskbarProgressKind kind = TaskbarProgressKind::None;
    int percent = 0;  // always 0..100

    bool operator==(const TaskbarProgressView& other) const
    {
        return kind == other.kind && percent == other.percent;
    }
    bool operator!=(const TaskbarProgressView& other) const { return !(*this == other); }
};

// A progress message's wParam as the platform means it: a signed 32-bit
// number (a 64-bit wParam carries it sign- or zero-extended), clamped to 0..100.
int ClampedPercent(std::uint64_t wParam);

// The view after one of the platform's messages (progress, download result,
// unpack result); any other message leaves it. Progress shows as a normal
// bar, except while unpacking: a finished download shows an indeterminate
// bar until the unpack result, which clears it; a failure shows the error
// state, as a full bar when nothing had been downloaded, so that it shows.
TaskbarProgressView NextTaskbarView(const TaskbarProgressView& view, unsigned message, std::uint64_t wParam);
