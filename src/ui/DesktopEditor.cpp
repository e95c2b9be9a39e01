#include "ui/DesktopEditor.h"

#include <QFile>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>
#include <QTextStream>

namespace corvane::ui {

namespace {

// xdg-mime is a shell script that reads a few small files; a desktop that takes longer than
// this is treated as having no answer rather than holding the editor up.
constexpr int kQueryTimeoutMs = 3000;

// The general escapes of a desktop entry's string values (\s, \n, \t, \r, \\).
QString unescapeValue(const QString& value) {
    QString out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != QLatin1Char('\\') || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        const QChar c = value[++i];
        if (c == QLatin1Char('s'))
            out += QLatin1Char(' ');
        else if (c == QLatin1Char('n'))
            out += QLatin1Char('\n');
        else if (c == QLatin1Char('t'))
            out += QLatin1Char('\t');
        else if (c == QLatin1Char('r'))
            out += QLatin1Char('\r');
        else if (c == QLatin1Char('\\'))
            out += QLatin1Char('\\');
        else
            out += QLatin1Char('\\') + QString(c);  // left for the quoting rules below
    }
    return out;
}

// Splits the Exec line into arguments: blanks separate them, double quotes group them, and
// inside quotes a backslash keeps the next character.
QStringList splitExec(const QString& line) {
    QStringList args;
    QString current;
    bool inArgument = false, quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (quoted) {
            if (c == QLatin1Char('\\') && i + 1 < line.size())
                current += line[++i];
            else if (c == QLatin1Char('"'))
                quoted = false;
            else
                current += c;
        } else if (c == QLatin1Char('"')) {
            quoted = inArgument = true;
        } else if (c == QLatin1Char(' ') || c == QLatin1Char('\t')) {
            if (inArgument) args << current;
            current.clear();
            inArgument = false;
        } else {
            current += c;
            inArgument = true;
        }
    }
    if (inArgument) args << current;
    return args;
}

QString desktopFileFor(const QString& id) {
    QString path = QStandardPaths::locate(QStandardPaths::ApplicationsLocation, id);
    // An id such as kde-org.editor.desktop may live as kde/org.editor.desktop.
    if (path.isEmpty() && id.contains(QLatin1Char('-')))
        path = QStandardPaths::locate(QStandardPaths::ApplicationsLocation,
                                      QString(id).replace(id.indexOf(QLatin1Char('-')), 1, QLatin1Char('/')));
    return path;
}

}  // namespace

QStringList desktopExecCommand(const QString& exec, const QString& document) {
    QStringList command;
    bool documentPlaced = false;
    for (const QString& arg : splitExec(unescapeValue(exec))) {
        // A field code alone in its argument stands for whole arguments (or none).
        static const QStringList fileCodes = {QStringLiteral("%f"), QStringLiteral("%F"),
                                              QStringLiteral("%u"), QStringLiteral("%U")};
        if (fileCodes.contains(arg)) {
            if (!documentPlaced) command << document;
            documentPlaced = true;
            continue;
        }
        QString expanded;
        bool dropped = false;
        for (qsizetype i = 0; i < arg.size(); ++i) {
            if (arg[i] != QLatin1Char('%') || i + 1 == arg.size()) {
                expanded += arg[i];
                continue;
            }
            const QChar code = arg[++i];
            if (code == QLatin1Char('%')) {
                expanded += QLatin1Char('%');
            } else if (QStringLiteral("fFuU").contains(code)) {
                expanded += document;
                documentPlaced = true;
            } else if (QStringLiteral("ick").contains(code) && arg.size() == 2) {
                dropped = true;  // icon, name and location of the entry: nothing worth passing
            }
        }
        if (!dropped) command << expanded;
    }
    if (command.isEmpty()) return {};
    if (!documentPlaced) command << document;
    return command;
}

QString desktopEntryExec(const QString& desktopFile) {
    QFile file(desktopFile);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return {};
    QTextStream in(&file);
    bool inEntry = false;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.startsWith(QLatin1Char('[')))
            inEntry = line == QStringLiteral("[Desktop Entry]");
        else if (inEntry && line.startsWith(QStringLiteral("Exec")) &&
                 line.mid(4).trimmed().startsWith(QLatin1Char('=')))
            return line.mid(line.indexOf(QLatin1Char('=')) + 1).trimmed();
    }
    return {};
}

std::optional<QStringList> associatedEditor(const QString& document) {
    const QString xdgMime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (xdgMime.isEmpty()) return std::nullopt;
    const QString mimeType = QMimeDatabase().mimeTypeForFile(document).name();
    QProcess query;
    query.start(xdgMime, {QStringLiteral("query"), QStringLiteral("default"), mimeType});
    if (!query.waitForFinished(kQueryTimeoutMs)) {
        query.kill();
        query.waitForFinished();
        return QStringList();
    }
    const QString id =
        QString::fromLocal8Bit(query.readAllStandardOutput()).section(QLatin1Char('\n'), 0, 0).trimmed();
    if (id.isEmpty()) return QStringList();
    const QString entry = desktopFileFor(id);
    if (entry.isEmpty()) return QStringList();
    return desktopExecCommand(desktopEntryExec(entry), document);
}

}  // namespace corvane::ui
