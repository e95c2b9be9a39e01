#pragma once

// The path variables a combo box offers, as the author types them ("<InstallDir>"), from the
// vocabulary the setup runtime shares (contract/PathVariables.h).

#include <QStringList>
#include <array>
#include <cstddef>

#include "contract/PathVariables.h"

namespace corvane::ui {

template <std::size_t N>
QStringList variableTokens(const std::array<contract::PathVariable, N>& variables) {
    QStringList tokens;
    for (const contract::PathVariable variable : variables)
        tokens << QString::fromStdString(contract::tokenOf(variable));
    return tokens;
}

}  // namespace corvane::ui
