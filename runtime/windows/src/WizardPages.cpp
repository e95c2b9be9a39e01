#include "WizardPages.h"

#include "ExitCodes.h"
#include "SetupSession.h"

namespace corvane::rt {

int runWizard(HINSTANCE, SetupSession& session, const SetupOptions& options) {
    reportError(session, options, L"The wizard is not available yet; run with /S.");
    return kExitCancelled;
}

}  // namespace corvane::rt
