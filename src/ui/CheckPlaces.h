#pragma once

// Where the editor shows what a failed pre-build check is about: the page group (numbered as
// showPage takes them), the object name of the tab within it, and the control to focus.

#include "builder/PreBuildChecks.h"

namespace corvane::ui {

struct CheckPlace {
    int group;
    const char* tab;
    const char* control;
};

CheckPlace placeOf(builder::CheckedField field);

}  // namespace corvane::ui
