#include "GameLoader/GameLoaderWnd/TaskbarProgressState.h"

#include "GameLoader/GameLoaderWnd/LauncherMessages.h"

namespace {

TaskbarProgressView Failed(const TaskbarProgressView& view)
{
    return {TaskbarProgressKind::Error, view.percent > 0 ? view.percent : 100};
}

}  // namespace

int ClampedPercent(std::uint64_t wParam)
{
    // The low 32 bits, read as two's complement without relying on a narrowing conversion.
    const std::uint32_t low = static_cast<std::uint32_t>(wParam);
    const std::int64_t value = low <= 0x7FFFFFFFu ? static_cast<std::int64_t>(low)
                                                  : static_cast<std::int64_t>(low) - 0x100000000LL;
    if (value < 0) return 0;
    if (value > 100) return 100;
    return static_cast<int>(value);
}

TaskbarProgressView NextTaskbarView(const TaskbarProgressView& view, unsigned message, std::uint64_t wParam)
{
    switch (message) {
    case WM_LAUNCHER_PROGRESS:
        // The platform may report the finished download again while it unpacks.
        if (view.kind == TaskbarProgressKind::Indeterminate) return view;
        return {TaskbarProgressKind::Normal, ClampedPercent(wParam)};
    case WM_LAUNCHER_DOWNLOAD_RESULT:
        if (wParam != 0) return Failed(view);
        return {TaskbarProgressKind::Indeterminate, view.percent};
    case WM_LAUNCHER_UNPACK_RESULT:
        if (wParam != 0) return Failed(view);
        return {};  // the game starts and the window goes
    default:
        return view;
    }
}
