#pragma once

// Finding the program the desktop associates with a document, the way the desktop's own file
// manager does on Linux: the document's MIME type, the default application that
// `xdg-mime query default` names for it, and that desktop entry's Exec line.

#include <QString>
#include <QStringList>
#include <optional>

namespace corvane::ui {

// The command line (program first) that a desktop entry's Exec value gives for one document:
// quoting and escapes undone, %f %F %u %U replaced by the document, the other field codes
// dropped, and the document appended when the line has no field code for it. Empty when the
// value holds no program.
QStringList desktopExecCommand(const QString& exec, const QString& document);

// The Exec value of a desktop entry file's [Desktop Entry] group, escapes still in place;
// empty when the file cannot be read or has none.
QString desktopEntryExec(const QString& desktopFile);

// The command line that opens document in its associated program; an empty list when no
// program is associated, and nothing at all when `xdg-mime` is not installed to ask.
std::optional<QStringList> associatedEditor(const QString& document);

}  // namespace corvane::ui
