#pragma once

// A program folder holding what the pre-build checks look for (one language file and both default
// bitmaps) beside one source file, and a project over it that passes every check. Suites of the
// checks break one thing in that project and look at what is reported.

#include <string>

#include "TestSupport.h"
#include "model/Project.h"

namespace corvane::test {

class CheckableProgram {
public:
    explicit CheckableProgram(std::string sourceName = "a.exe") : m_sourceName(std::move(sourceName)) {
        writeFile(m_folder / "Languages" / "English.lng", "");
        writeFile(m_folder / "Wizard_0.bmp", "BM");
        writeFile(m_folder / "Header_0.bmp", "BM");
        writeFile(m_folder / m_sourceName, "MZ");
    }

    // One language and one Files row that installs the source as <InstallDir>\a.exe.
    model::Project passingProject() const {
        model::Project p(m_folder.folder(), "/home/author/Setup.exe");
        p.setLanguageSelected(0, true);
        p.rebuildDocumentLists();
        p.files.push_back(fileRow("<InstallDir>\\a.exe"));
        return p;
    }
    model::FileEntry fileRow(const std::string& destination) const {
        return {(m_folder / m_sourceName).string(), "2", destination, "Overwrite", "Yes"};
    }
    const TempDir& folder() const { return m_folder; }

private:
    TempDir m_folder;
    std::string m_sourceName;
};

}  // namespace corvane::test
