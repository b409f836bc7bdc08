#pragma once
// Start-up milestones for the whole-process benchmark (bench/mainwnd). With the environment
// variable TESMIRA_TRACE_STARTUP set, each milestone is printed once to standard error as
// "tesmira-startup <milestone> <ms>", in milliseconds since the process started. Unset, a call
// costs one test of a flag read once.

namespace tesmira {

void TraceStartup(const char* milestone);

}  // namespace tesmira
