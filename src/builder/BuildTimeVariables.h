#pragma once

// The path variables as the build knows them. The folders are the end user's, so each stands for
// a stand-in folder (contract::builderStandIn); the settings are known now, and a variable keeps of
// them what Setup.exe keeps: the value as the description reads back, and in a path only what a
// file name may hold.

#include <optional>
#include <string>
#include <string_view>

#include "contract/PathVariables.h"
#include "contract/TargetPaths.h"
#include "model/ProjectSettings.h"
#include "project/FormatLimits.h"

namespace corvane::builder {

class BuildTimeVariables {
public:
    enum Use { ForPaths, ForValues };

    BuildTimeVariables(const model::ProjectSettings& settings, Use use) : m_settings(settings), m_use(use) {}

    bool operator()(contract::PathVariable variable, std::string& value) const {
        const std::optional<contract::Setting> setting = contract::settingOf(variable);
        if (!setting) {
            value = contract::builderStandIn(variable);
            return true;
        }
        const std::string& raw = *setting == contract::Setting::AppName      ? m_settings.appName
                                 : *setting == contract::Setting::AppVersion ? m_settings.appVersion
                                                                             : m_settings.companyName;
        const std::string stored = project::withoutLineBreaks(raw);
        value = contract::settingValueAsRead(std::string_view(stored));
        if (m_use == ForPaths) value = contract::fileNamePart(std::string_view(value));
        return true;
    }

private:
    const model::ProjectSettings& m_settings;
    Use m_use;
};

}  // namespace corvane::builder
