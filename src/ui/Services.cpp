#include "ui/Services.h"

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

void showException(const Services& services, QWidget* parent, const QString& message) {
    QString text = message;
    if (!text.isEmpty() && text.back() > QLatin1Char('.')) text += QLatin1Char('.');
    services.messages->show(parent, MessageService::Icon::Error, applicationTitle(), text,
                            {MessageService::Button::Ok}, MessageService::Button::Ok);
}

}  // namespace corvane::ui
