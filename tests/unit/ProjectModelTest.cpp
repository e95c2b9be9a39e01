#include "model/Project.h"

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "model/FormatSize.h"

namespace corvane::model {
namespace {

class ProjectModel : public ::testing::Test {
protected:
    ProjectModel() {
        for (const char* name : {"English.lng", "deutsch.LNG", "Chinese.Simplified.lng", "Nederlands.lng"})
            test::writeFile(m_program / "Languages" / name, "");
        test::writeFile(m_program / "Languages" / "readme.txt", "");
        std::filesystem::create_directories(m_program / "Languages" / "Folder.lng");
    }
    Project makeProject() const { return Project(m_program.folder(), "/home/author/Setup.exe"); }

    test::TempDir m_program;
};

TEST_F(ProjectModel, FreshProjectHasTheNewProjectValues) {
    const Project p = makeProject();
    EXPECT_EQ(p.projectPath, "NewProject");
    EXPECT_FALSE(p.isSaved());
    EXPECT_FALSE(p.isModified());
    EXPECT_EQ(p.settings.appName, "My Program");
    EXPECT_EQ(p.settings.setupFile, "/home/author/Setup.exe");
    EXPECT_EQ(p.settings.wizard, m_program.folder() + "Wizard_0.bmp");
    EXPECT_EQ(p.settings.installDir, "<ProgramFiles>\\<AppName>");
    EXPECT_EQ(p.settings.defaultLanguage, -1);
    EXPECT_TRUE(p.files.empty());
    EXPECT_TRUE(p.licenses.empty());
    EXPECT_TRUE(p.readmes.empty());
    EXPECT_TRUE(p.selectedLanguages().empty());
    ASSERT_EQ(p.registry.size(), 2u);
    EXPECT_EQ(p.registry[0], (RegistryEntry{"HKEY_LOCAL_MACHINE", "Software\\<CompanyName>\\<AppName>",
                                            "Directory", "String", "<InstallDir>", "Yes", "No"}));
    EXPECT_EQ(p.registry[1].valueName, "Version");
    EXPECT_EQ(p.registry[1].valueData, "<AppVersion>");
}

TEST_F(ProjectModel, CatalogueListsLanguageFilesByNameIgnoringCase) {
    const Project p = makeProject();
    EXPECT_EQ(p.languageCatalogue(),
              (std::vector<std::string>{"Chinese", "deutsch", "English", "Nederlands"}));
    // Each name keeps the file it came from: that file, not <name>.lng, is what a build packs.
    ASSERT_EQ(p.languageFiles().size(), 4u);
    EXPECT_EQ(p.languageFiles()[0], (LanguageFile{"Chinese", "Chinese.Simplified.lng"}));
    EXPECT_EQ(p.languageFiles()[1], (LanguageFile{"deutsch", "deutsch.LNG"}));
}

TEST_F(ProjectModel, SelectedLanguageFilesFollowTheSelection) {
    test::writeFile(m_program / "Languages" / ".lng", "");  // no name at all: not a language
    Project p = makeProject();
    EXPECT_EQ(p.languageCatalogue().size(), 4u);
    p.setLanguageSelected(0, true);
    p.setLanguageSelected(3, true);
    EXPECT_EQ(p.selectedLanguageFiles(), (std::vector<LanguageFile>{{"Chinese", "Chinese.Simplified.lng"},
                                                                    {"Nederlands", "Nederlands.lng"}}));
}

TEST_F(ProjectModel, DocumentListsFollowTheLanguageSelection) {
    Project p = makeProject();
    p.setLanguageSelected(2, true);  // English
    p.rebuildDocumentLists();
    EXPECT_TRUE(p.isModified());
    EXPECT_EQ(p.licenses, (std::vector<LanguageDocEntry>{{"(Default)", ""}, {"English", ""}}));
    EXPECT_EQ(p.readmes, p.licenses);
    EXPECT_EQ(p.settings.defaultLanguage, 0);
    EXPECT_EQ(p.defaultLanguageName(), "English");

    // Any change of the selection forgets every chosen document and the default choice.
    p.licenses[0].file = "license.rtf";
    p.readmes[1].file = "readme.rtf";
    p.setLanguageSelected(0, true);
    p.rebuildDocumentLists();
    p.settings.defaultLanguage = 1;
    EXPECT_EQ(p.licenses,
              (std::vector<LanguageDocEntry>{{"(Default)", ""}, {"Chinese", ""}, {"English", ""}}));
    EXPECT_EQ(p.readmes, p.licenses);
    EXPECT_EQ(p.defaultLanguageName(), "English");

    p.setLanguageSelected(0, false);
    p.setLanguageSelected(2, false);
    p.rebuildDocumentLists();
    EXPECT_EQ(p.licenses, (std::vector<LanguageDocEntry>{{"(Default)", ""}}));
    EXPECT_EQ(p.settings.defaultLanguage, -1);
    EXPECT_EQ(p.defaultLanguageName(), "");
}

TEST_F(ProjectModel, UninstallerRowComesAndGoesWithTheOption) {
    Project p = makeProject();
    p.files.push_back({"/src/a.exe", "10", "<InstallDir>\\a.exe", "Overwrite", "Yes"});
    p.setUninstall(true);
    ASSERT_EQ(p.files.size(), 2u);
    EXPECT_EQ(p.files[1], (FileEntry{m_program.folder() + "Uninstall.exe", "54784",
                                     "<InstallDir>\\Uninstall.exe", "Overwrite", "Yes"}));
    EXPECT_TRUE(p.settings.showPrograms);
    EXPECT_TRUE(p.settings.uninstallPage);

    p.setUninstall(true);  // no change, no second row
    EXPECT_EQ(p.files.size(), 2u);

    // The author added the uninstaller a second time by hand: only the first such row goes.
    p.files.push_back(p.files[1]);
    p.files[2].installTo = "<InstallDir>\\copy\\Uninstall.exe";
    p.setUninstall(false);
    ASSERT_EQ(p.files.size(), 2u);
    EXPECT_EQ(p.files[1].installTo, "<InstallDir>\\copy\\Uninstall.exe");
    EXPECT_FALSE(p.settings.showPrograms);
    EXPECT_FALSE(p.settings.uninstallPage);
}

TEST_F(ProjectModel, CompanionsFollowOnlyAChangeOfTheirMaster) {
    Project p = makeProject();
    p.setLaunchFile(true);
    EXPECT_TRUE(p.settings.launchChecked);
    p.settings.launchChecked = false;  // the author unchecks "Checked by default"
    p.setLaunchFile(true);
    EXPECT_FALSE(p.settings.launchChecked);

    p.setViewReadme(true);
    p.setVisitSite(true);
    p.setRestart(true);
    EXPECT_FALSE(p.settings.launchFile || p.settings.viewReadme || p.settings.visitSite);
    EXPECT_FALSE(p.settings.launchChecked || p.settings.viewReadmeChecked || p.settings.visitSiteChecked);
}

TEST_F(ProjectModel, DerivedFileDataCountsSixtyFourBitSizes) {
    Project p = makeProject();
    p.files = {{"a", "1024", "<InstallDir>\\a", "Overwrite", "Yes"},
               {"b", " 2048 ", "<InstallDir>\\b", "Skip", "No"}};
    EXPECT_EQ(p.totalSize(), 3072);
    EXPECT_EQ(formatSize(p.totalSize(), "."), "3.00 KB");
    EXPECT_EQ(p.installedFiles(), (std::vector<std::string>{"<InstallDir>\\a", "<InstallDir>\\b"}));

    p.files.push_back({"big", "3000000000", "<InstallDir>\\big", "Overwrite", "Yes"});
    p.files.push_back({"big2", "3000000000", "<InstallDir>\\big", "Overwrite", "Yes"});
    EXPECT_EQ(p.fileCount(), 4u);
    EXPECT_EQ(p.totalSize(), 6000003072);
    EXPECT_EQ(p.installedFiles().size(), 4u);  // duplicates kept
}

TEST_F(ProjectModel, RelativePathsResolveAgainstTheProjectFolder) {
    Project p = makeProject();
    EXPECT_EQ(p.resolvePath("payload/a.txt"), "payload/a.txt");  // not saved yet: the current folder
    p.projectPath = "/work/demo/Demo.zan";
    EXPECT_EQ(p.resolvePath("payload/a.txt"), "/work/demo/payload/a.txt");
    EXPECT_EQ(p.resolvePath("/abs/a.txt"), "/abs/a.txt");
    EXPECT_EQ(p.resolvePath(""), "");
}

TEST_F(ProjectModel, NewProjectForgetsEverything) {
    Project p = makeProject();
    p.setLanguageSelected(1, true);
    p.rebuildDocumentLists();
    p.setUninstall(true);
    p.projectPath = "/x/y.zan";
    p.newProject();
    EXPECT_EQ(p.projectPath, "NewProject");
    EXPECT_FALSE(p.isModified());
    EXPECT_TRUE(p.files.empty());
    EXPECT_TRUE(p.licenses.empty());
    EXPECT_FALSE(p.settings.uninstall);
    EXPECT_FALSE(p.isLanguageSelected(1));
}

}  // namespace
}  // namespace corvane::model
