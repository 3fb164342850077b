// Ends running game clients after a download, so the unpack can replace
// their files.
#pragma once

#include <windows.h>

// The steps of the task, replaceable so its bounds can be shown without
// real processes.
struct GameShutdownSteps {
    bool (*gameRuns)();
    void (*endGame)();
    void (*pause)(DWORD milliseconds);
};
GameShutdownSteps RealGameShutdownSteps();

// Ends the game while it runs: at most 30 attempts, one second apart.
// Returns the number of attempts made.
int KillGameProcessesTask(const GameShutdownSteps& steps);

// Runs the task on a thread-pool worker and blocks the calling thread
// until it has finished; runs it on the calling thread when no worker can
// be had.
void RunGameShutdownAndWait(const GameShutdownSteps& steps);
