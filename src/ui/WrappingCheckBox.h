#pragma once

#include <QCheckBox>

namespace corvane::ui {

// A check box whose text breaks between words when the page is too narrow for it in one line
// (a long option at the window's smallest size), instead of being clipped mid-word. Its text
// stays what it is; only the drawing breaks it.
class WrappingCheckBox : public QCheckBox {
    Q_OBJECT
public:
    WrappingCheckBox(const QString& text, QWidget* parent = nullptr);

    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override;
    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override;

private:
    // The text with line breaks so that every line fits beside the indicator at this width.
    QString brokenFor(int width) const;
    // What the style adds to the text's own width: the indicator and the gap after it.
    int overhead() const;
};

}  // namespace corvane::ui
