#pragma once

// The setup wizard: language choice, welcome, license, readme, password, installation
// folder, progress and finish, in the chosen language.

#include <windows.h>

#include <string>
#include <vector>

namespace corvane::rt {

class SetupSession;
struct SetupOptions;

// Adds what the installation did to report (for /LOG=).
int runWizard(HINSTANCE instance, SetupSession& session, const SetupOptions& options,
              std::vector<std::wstring>& report);
void reportError(const SetupSession& session, const SetupOptions& options, const std::wstring& message);

}  // namespace corvane::rt
