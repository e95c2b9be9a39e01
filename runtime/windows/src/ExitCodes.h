#pragma once

// Setup.exe's exit codes: 0 only when everything was installed.
namespace corvane::rt {
constexpr int kExitSuccess = 0;
constexpr int kExitCancelled = 1;     // the user cancelled, or a wrong or missing password
constexpr int kExitDamaged = 2;       // the setup file is damaged or incomplete: nothing installed
constexpr int kExitFailed = 3;        // installing failed; this run's changes were undone
constexpr int kExitBadArguments = 4;  // an unusable command-line switch
}  // namespace corvane::rt
