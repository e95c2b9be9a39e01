#include "ui/WrappingCheckBox.h"

#include <QStyleOptionButton>
#include <QStylePainter>
#include <algorithm>

namespace corvane::ui {

WrappingCheckBox::WrappingCheckBox(const QString& text, QWidget* parent) : QCheckBox(text, parent) {
    // A fixed height would hold a broken text to one line.
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Minimum, QSizePolicy::CheckBox);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

int WrappingCheckBox::overhead() const {
    return QCheckBox::sizeHint().width() - fontMetrics().horizontalAdvance(text());
}

QString WrappingCheckBox::brokenFor(int width) const {
    const QFontMetrics metrics = fontMetrics();
    const int room = width - overhead();
    if (metrics.horizontalAdvance(text()) <= room) return text();
    QStringList lines;
    QString line;
    for (const QString& word : text().split(QLatin1Char(' '))) {
        const QString longer = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
        if (!line.isEmpty() && metrics.horizontalAdvance(longer) > room) {
            lines << line;
            line = word;
        } else {
            line = longer;
        }
    }
    lines << line;
    return lines.join(QLatin1Char('\n'));
}

QSize WrappingCheckBox::minimumSizeHint() const {
    const QFontMetrics metrics = fontMetrics();
    int widest = 0;
    for (const QString& word : text().split(QLatin1Char(' ')))
        widest = std::max(widest, metrics.horizontalAdvance(word));
    return {overhead() + widest, QCheckBox::sizeHint().height()};
}

bool WrappingCheckBox::hasHeightForWidth() const {
    return true;
}

int WrappingCheckBox::heightForWidth(int width) const {
    const int breaks = static_cast<int>(brokenFor(width).count(QLatin1Char('\n')));
    return QCheckBox::sizeHint().height() + breaks * fontMetrics().lineSpacing();
}

void WrappingCheckBox::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text = brokenFor(width());
    painter.drawControl(QStyle::CE_CheckBox, option);
}

// The whole box answers a click, the second line of a broken text included.
bool WrappingCheckBox::hitButton(const QPoint& pos) const {
    return rect().contains(pos);
}

}  // namespace corvane::ui
