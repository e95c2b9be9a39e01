#include "ui/HelpTopics.h"

#include <QFileInfo>

#include "ui/Services.h"

namespace corvane::ui {

namespace {

// One page per tab, in the order the tabs stand in their groups. The System tabs keep the
// numbered paths that their item editors' Help buttons open as well.
const char* const kGeneralTopics[] = {"General/General.htm", "General/Bitmaps.htm"};
const char* const kDialogsTopics[] = {"Dialogs/Language.htm", "Dialogs/Password.htm", "Dialogs/License.htm",
                                      "Dialogs/Readme.htm"};
const char* const kFilesTopics[] = {"Files/InstallDir.htm", "Files/Files.htm", "Files/Uninstall.htm"};
const char* const kSystemTopics[] = {"Project Settings/System/1.htm", "Project Settings/System/2.htm",
                                     "Project Settings/System/3.htm", "Project Settings/System/4.htm",
                                     "Project Settings/System/5.htm"};
const char* const kFinishTopics[] = {"Finish/AfterInstallation.htm"};

template <std::size_t N>
QString pick(const char* const (&topics)[N], int tab) {
    return tab >= 0 && static_cast<std::size_t>(tab) < N ? QString::fromLatin1(topics[tab])
                                                         : helpStartTopic();
}

}  // namespace

QString helpFolder(const std::string& programFolder) {
    return QString::fromStdString(programFolder) + QStringLiteral("help/");
}

bool openHelpTopic(const Services& services, const std::string& programFolder, const QString& topic) {
    const QString page = helpFolder(programFolder) + topic;
    if (!QFileInfo(page).isFile()) return false;
    services.shell->open(page, true);
    return true;
}

QString helpStartTopic() {
    return QStringLiteral("index.htm");
}

QString helpTopicForTab(int group, int tab) {
    switch (group) {
        case 1:
            return pick(kGeneralTopics, tab);
        case 2:
            return pick(kDialogsTopics, tab);
        case 3:
            return pick(kFilesTopics, tab);
        case 4:
            return pick(kSystemTopics, tab);
        case 5:
            return pick(kFinishTopics, tab);
        default:
            return helpStartTopic();
    }
}

}  // namespace corvane::ui
