#pragma once

// Corvane's user guide is a folder of HTML pages, help/ in the program folder. A topic is a
// page's path inside that folder ("Project Settings/System/1.htm"); opening one hands the page
// to the desktop's browser. A guide that is missing a page is not the author's problem, so a
// topic without a page opens nothing and reports nothing.

#include <QString>
#include <string>

namespace corvane::ui {

struct Services;

// The guide's folder: programFolder + "help/".
QString helpFolder(const std::string& programFolder);

// Opens the page of this topic in the browser; false (and nothing shown) when it has no page.
bool openHelpTopic(const Services& services, const std::string& programFolder, const QString& topic);

// The guide's start page, which Help Topics opens when no page fits better.
QString helpStartTopic();

// The topic of one tab of a page group (1 General ... 5 Finish, tab from 0); the start page for
// anything else.
QString helpTopicForTab(int group, int tab);

}  // namespace corvane::ui
