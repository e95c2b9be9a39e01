#include "ui/Services.h"

#include <QFileInfo>
#include <QObject>

namespace corvane::ui {

QString applicationTitle() {
    return QStringLiteral("Corvane");
}

void showWarning(const Services& services, QWidget* parent, const QString& text) {
    services.messages->show(parent, MessageService::Icon::Warning, applicationTitle(), text,
                            {MessageService::Button::Ok}, MessageService::Button::Ok);
}

void showError(const Services& services, QWidget* parent, const QString& text) {
    services.messages->show(parent, MessageService::Icon::Error, QString(), text,
                            {MessageService::Button::Ok}, MessageService::Button::Ok);
}

bool confirmReplace(const Services& services, QWidget* parent, const QString& path) {
    using B = MessageService::Button;
    const QString text =
        QObject::tr("%1 already exists.\nDo you want to replace it?").arg(QFileInfo(path).fileName());
    return services.messages->show(parent, MessageService::Icon::Question, applicationTitle(), text,
                                   {B::Yes, B::No}, B::No) == B::Yes;
}

void showException(const Services& services, QWidget* parent, const QString& message) {
    QString text = message;
    if (!text.isEmpty() && text.back() > QLatin1Char('.')) text += QLatin1Char('.');
    services.messages->show(parent, MessageService::Icon::Error, applicationTitle(), text,
                            {MessageService::Button::Ok}, MessageService::Button::Ok);
}

}  // namespace corvane::ui
