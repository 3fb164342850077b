// What a launcher that fails anyway leaves behind: a minidump beside the
// log, one level-0 log line naming it, and an exit code the platform sees.
#pragma once

// From here on an unhandled exception (or a C++ exception that nothing
// catches) writes the dump and the line and ends the process with the
// exception code (3 for an uncaught C++ exception). Call once the log
// directory is set.
void InstallCrashEvidence();
