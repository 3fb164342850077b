#include "GameLoader/GameLoaderWnd/GameShutdownTask.h"

#include "GameLoader/GameLoader/ProcessControl.h"
#include "base/Win32Handles.h"

namespace {

constexpr int kMaxAttempts = 30;
constexpr DWORD kPauseMs = 1000;

struct WorkerJob {
    const GameShutdownSteps* steps;
    HANDLE done;
};

void CALLBACK RunOnWorker(PTP_CALLBACK_INSTANCE instance, void* context) noexcept
{
    auto* job = static_cast<WorkerJob*>(context);
    // The pool's callback is a boundary: nothing may throw into the pool,
    // and the window thread waits for the event whatever happened.
    try {
        KillGameProcessesTask(*job->steps);
    } catch (...) {
    }
    // Signalled by the pool after the callback returns, so the job outlives it.
    ::SetEventWhenCallbackReturns(instance, job->done);
}

}  // namespace

GameShutdownSteps RealGameShutdownSteps()
{
    return {&GeneralProcessExist, &KillGeneralProcess, [](DWORD ms) { ::Sleep(ms); }};
}

int KillGameProcessesTask(const GameShutdownSteps& steps)
{
    int attempts = 0;
    while (attempts < kMaxAttempts && steps.gameRuns()) {
        steps.endGame();
        steps.pause(kPauseMs);
        ++attempts;
    }
    return attempts;
}

void RunGameShutdownAndWait(const GameShutdownSteps& steps)
{
    win32::UniqueHandle done(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    WorkerJob job{&steps, done.get()};
    if (!done || !::TrySubmitThreadpoolCallback(&RunOnWorker, &job, nullptr)) {
        KillGameProcessesTask(steps);
        return;
    }
    ::WaitForSingleObject(done.get(), INFINITE);
}
