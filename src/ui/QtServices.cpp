#include "ui/QtServices.h"

#include "ui/DesktopEditor.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPixmap>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace corvane::ui {

namespace {

// The chooser's preview box: room for the 164 x 314 wizard picture at its own size.
constexpr QSize kPreviewSize{180, 330};

QMessageBox::StandardButton toQt(MessageService::Button b) {
    switch (b) {
        case MessageService::Button::Ok:
            return QMessageBox::Ok;
        case MessageService::Button::Yes:
            return QMessageBox::Yes;
        case MessageService::Button::No:
            return QMessageBox::No;
        case MessageService::Button::Cancel:
            return QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

QString defaultCaption(MessageService::Icon icon) {
    switch (icon) {
        case MessageService::Icon::Error:
            return QObject::tr("Error");
        case MessageService::Icon::Warning:
            return QObject::tr("Warning");
        case MessageService::Icon::Question:
            return QObject::tr("Confirm");
        case MessageService::Icon::Information:
            return QObject::tr("Information");
    }
    return {};
}

}  // namespace

MessageService::Button QtMessageService::show(QWidget* parent, Icon icon, const QString& caption,
                                              const QString& text, const QList<Button>& buttons,
                                              Button defaultButton) {
    QMessageBox box(parent);
    box.setIcon(icon == Icon::Error      ? QMessageBox::Critical
                : icon == Icon::Warning  ? QMessageBox::Warning
                : icon == Icon::Question ? QMessageBox::Question
                                         : QMessageBox::Information);
    box.setWindowTitle(caption.isEmpty() ? defaultCaption(icon) : caption);
    box.setText(text);
    QMessageBox::StandardButtons standard;
    for (Button b : buttons)
        standard |= toQt(b);
    box.setStandardButtons(standard);
    box.setDefaultButton(toQt(defaultButton));
    switch (box.exec()) {
        case QMessageBox::Yes:
            return Button::Yes;
        case QMessageBox::No:
            return Button::No;
        case QMessageBox::Cancel:
            return Button::Cancel;
        default:
            return Button::Ok;
    }
}

QString QtFileDialogService::openFile(QWidget* parent, const QString& filter, const QString& initialPath) {
    return QFileDialog::getOpenFileName(parent, QString(), initialPath, filter);
}

// Qt's own chooser, with a preview of the picture under the cursor beside the file list.
QString QtFileDialogService::openPicture(QWidget* parent, const QString& filter, const QString& initialPath) {
    QFileDialog dialog(parent, QString(), initialPath, filter);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (QFileInfo(initialPath).isFile()) dialog.selectFile(initialPath);
    auto* preview = new QLabel(&dialog);
    preview->setObjectName(QStringLiteral("PicturePreview"));
    preview->setAlignment(Qt::AlignCenter);
    preview->setFrameShape(QFrame::StyledPanel);
    preview->setFixedSize(kPreviewSize);
    const auto showPicture = [preview](const QString& path) {
        const QPixmap picture(path);
        if (picture.isNull()) {
            preview->setPixmap({});
            preview->setText(QFileInfo(path).isFile() ? QObject::tr("No preview") : QString());
            return;
        }
        preview->setPixmap(picture.width() <= kPreviewSize.width() &&
                                   picture.height() <= kPreviewSize.height()
                               ? picture
                               : picture.scaled(kPreviewSize, Qt::KeepAspectRatio, Qt::SmoothTransformation));
        preview->setToolTip(QStringLiteral("%1 x %2").arg(picture.width()).arg(picture.height()));
    };
    QObject::connect(&dialog, &QFileDialog::currentChanged, preview, showPicture);
    // The picture the field names now shows before the author moves through the list.
    if (QFileInfo(initialPath).isFile()) showPicture(initialPath);
    if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout()))
        grid->addWidget(preview, 0, grid->columnCount(), grid->rowCount(), 1);
    if (dialog.exec() != QDialog::Accepted) return {};
    return dialog.selectedFiles().value(0);
}

QString QtFileDialogService::saveFile(QWidget* parent, const QString& filter, const QString& initialPath) {
    return QFileDialog::getSaveFileName(parent, QString(), initialPath, filter);
}

QStringList QtFileDialogService::openFiles(QWidget* parent, const QString& filter,
                                           const QString& initialPath) {
    return QFileDialog::getOpenFileNames(parent, QString(), initialPath, filter);
}

QString QtFileDialogService::chooseFolder(QWidget* parent, const QString& title, const QString& initialPath) {
    return QFileDialog::getExistingDirectory(parent, title, initialPath, QFileDialog::ShowDirsOnly);
}

std::optional<QString> QtInputService::askText(QWidget* parent, const QString& caption, const QString& label,
                                               const QString& text) {
    QInputDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("TextInputDialog"));
    dialog.setWindowTitle(caption);
    dialog.setLabelText(label);
    dialog.setTextValue(text);
    // Wide enough to show a signing command whole.
    dialog.resize(640, dialog.sizeHint().height());
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.textValue();
}

void QtShellService::open(const QString& fileOrUrl, bool) {
    // A Windows program is started through wine where it is installed, as a double click would
    // on Windows; anything else goes to the desktop's handler for its type.
    if (fileOrUrl.endsWith(QStringLiteral(".exe"), Qt::CaseInsensitive) && QFileInfo(fileOrUrl).isFile()) {
        const QString wine = QStandardPaths::findExecutable(QStringLiteral("wine"));
        if (!wine.isEmpty() && QProcess::startDetached(wine, {fileOrUrl})) return;
    }
    QDesktopServices::openUrl(QUrl::fromUserInput(fileOrUrl, QString(), QUrl::AssumeLocalFile));
}

void QtShellService::edit(const QString& document) {
    // The program is started on its own, never waited for: a desktop handler may return at once,
    // and an editor that is already running may hand the document to its first instance.
    const std::optional<QStringList> command = associatedEditor(document);
    if (!command) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(document));
        return;
    }
    if (!command->isEmpty()) QProcess::startDetached(command->front(), command->mid(1));
}

}  // namespace corvane::ui
