#pragma once

#include "ui/Services.h"

namespace corvane::ui {

// The services as the running application provides them: QMessageBox, QFileDialog and
// QDesktopServices.
class QtMessageService : public MessageService {
public:
    Button show(QWidget* parent, Icon icon, const QString& caption, const QString& text,
                const QList<Button>& buttons, Button defaultButton) override;
};

class QtFileDialogService : public FileDialogService {
public:
    QString openFile(QWidget* parent, const QString& filter, const QString& initialPath) override;
    QString openPicture(QWidget* parent, const QString& filter, const QString& initialPath) override;
    QString saveFile(QWidget* parent, const QString& filter, const QString& initialPath) override;
    QStringList openFiles(QWidget* parent, const QString& filter, const QString& initialPath) override;
    QString chooseFolder(QWidget* parent, const QString& title, const QString& initialPath) override;
};

class QtInputService : public InputService {
public:
    std::optional<QString> askText(QWidget* parent, const QString& caption, const QString& label,
                                   const QString& text) override;
};

class QtShellService : public ShellService {
public:
    void open(const QString& fileOrUrl, bool maximized) override;
    void edit(const QString& document) override;
};

}  // namespace corvane::ui
