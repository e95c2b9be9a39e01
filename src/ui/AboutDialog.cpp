#include "ui/AboutDialog.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/Services.h"

namespace corvane::ui {

namespace {

// A link text: blue throughout, underlined only while the mouse is over it, hand cursor.
class LinkLabel : public QLabel {
public:
    LinkLabel(const QString& text, std::function<void()> action, QWidget* parent)
        : QLabel(text, parent), m_action(std::move(action)) {
        setCursor(Qt::PointingHandCursor);
        QPalette p = palette();
        p.setColor(QPalette::WindowText, Qt::blue);
        setPalette(p);
    }

protected:
    void enterEvent(QEnterEvent*) override { setUnderline(true); }
    void leaveEvent(QEvent*) override { setUnderline(false); }
    void mouseReleaseEvent(QMouseEvent*) override { m_action(); }

private:
    void setUnderline(bool on) {
        QFont f = font();
        f.setUnderline(on);
        setFont(f);
    }
    std::function<void()> m_action;
};

constexpr int kInnerWidth = 318;

// Corvane's logo: a stylised raven's head in a disc, drawn so no image file is needed.
QPixmap logo() {
    QPixmap pixmap(48, 48);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(0x1d, 0x35, 0x57));
    p.setPen(Qt::NoPen);
    p.drawEllipse(2, 2, 44, 44);
    p.setBrush(QColor(0xa8, 0xda, 0xdc));
    const QPointF beak[] = {{14, 30}, {36, 18}, {28, 32}};
    p.drawPolygon(beak, 3);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(30, 22), 2.5, 2.5);
    return pixmap;
}

}  // namespace

void openHomePage(const Services& services) {
    services.shell->open(QString::fromLatin1(kHomePage), false);
}

void sendFeedback(const Services& services) {
    services.shell->open(QStringLiteral("mailto:%1?subject=ZAN_%2")
                             .arg(QLatin1String(kSupportAddress), QLatin1String(kProductVersion)),
                         false);
}

TForm3::TForm3(const Services& services, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TForm3"));
    setWindowTitle(tr("About Corvane"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, p.color(QPalette::Base));
    setPalette(p);

    auto* image = new QLabel(this);
    image->setObjectName(QStringLiteral("LogoImage"));
    image->setPixmap(logo());
    m_version = new QLabel(QStringLiteral("Corvane %1").arg(QLatin1String(kProductVersion)), this);
    m_version->setObjectName(QStringLiteral("VersionLabel"));
    auto* owner = new QLabel(tr("Copyright \u00A9 Brennic Software."), this);
    auto* rights = new QLabel(tr("All rights reserved."), this);
    auto* home = new LinkLabel(
        QString::fromLatin1(kHomePage), [&services] { openHomePage(services); }, this);
    home->setObjectName(QStringLiteral("HomePageLink"));
    auto* mail = new LinkLabel(
        QString::fromLatin1(kSupportAddress), [&services] { sendFeedback(services); }, this);
    mail->setObjectName(QStringLiteral("FeedbackLink"));
    auto* notice =
        new QLabel(tr("This program is protected by copyright law. Unauthorised copying or distribution "
                      "of this program, or of any part of it, is not permitted."),
                   this);
    notice->setWordWrap(true);
    notice->setEnabled(false);
    notice->setFixedWidth(kInnerWidth - 2 * 11);
    auto* ok = new QPushButton(tr("OK"), this);
    ok->setObjectName(QStringLiteral("OkButton"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* text = new QVBoxLayout;
    for (QWidget* w : std::initializer_list<QWidget*>{m_version, owner, rights, home, mail})
        text->addWidget(w);
    auto* top = new QHBoxLayout;
    top->addWidget(image, 0, Qt::AlignTop);
    top->addLayout(text, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(notice);
    layout->addWidget(ok, 0, Qt::AlignHCenter);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TForm3::setVersionLine(const QString& text) {
    m_version->setText(text);
}

}  // namespace corvane::ui
