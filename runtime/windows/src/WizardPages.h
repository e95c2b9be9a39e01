#pragma once

// The setup wizard: language choice, welcome, license, readme, password, installation
// folder, progress and finish, in the chosen language.

#include <windows.h>

#include <string>

namespace corvane::rt {

class SetupSession;
struct SetupOptions;

int runWizard(HINSTANCE instance, SetupSession& session, const SetupOptions& options);
void reportError(const SetupSession& session, const SetupOptions& options, const std::wstring& message);

}  // namespace corvane::rt
