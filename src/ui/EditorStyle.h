#pragma once

// The desktop's style with what Corvane's windows are drawn with: a password box shows "*" for
// each character, as the setups it builds do.

#include <QProxyStyle>

namespace corvane::ui {

class EditorStyle : public QProxyStyle {
    Q_OBJECT
public:
    using QProxyStyle::QProxyStyle;

    int styleHint(StyleHint hint, const QStyleOption* option = nullptr, const QWidget* widget = nullptr,
                  QStyleHintReturn* returnData = nullptr) const override;
};

}  // namespace corvane::ui
