#include "project/Lifecycle.h"

#include <map>

#include <gtest/gtest.h>

#include "model/Project.h"
#include "model/ProjectSettings.h"
#include "project/RecentList.h"

namespace corvane::project {
namespace {

TEST(Lifecycle, CaptionAndQuestionNameTheFile) {
    EXPECT_EQ(windowCaption("NewProject"), "Corvane");
    EXPECT_EQ(windowCaption("/home/a/Demo 1.0.zan"), "Corvane - Demo 1.0.zan");
    EXPECT_EQ(unsavedChangesQuestion("NewProject"), "Save changes to project \"NewProject\"?");
    EXPECT_EQ(unsavedChangesQuestion("/home/a/Demo 1.0.zan"), "Save changes to project \"Demo 1.0.zan\"?");
}

TEST(Lifecycle, SaveAsProposesAndCompletesTheName) {
    model::ProjectSettings s;
    s.appName = "My Program";
    s.appVersion = "1.0";
    EXPECT_EQ(proposedProjectFileName(s), "My Program 1.0.zan");
    EXPECT_EQ(withProjectExtension("/p/Demo.zan"), "/p/Demo.zan");
    EXPECT_EQ(withProjectExtension("/p/Demo"), "/p/Demo.zan");
    EXPECT_EQ(withProjectExtension("/p/Report.txt"), "/p/Report.txt.zan");
    EXPECT_EQ(withProjectExtension("/p/Demo.ZAN"), "/p/Demo.ZAN.zan");
    EXPECT_EQ(withProjectExtension("/p.d/Demo"), "/p.d/Demo.zan");
}

TEST(Lifecycle, LongFormIsAbsoluteAndFolded) {
    EXPECT_EQ(longPathForm("/a/./b/../c.zan"), "/a/c.zan");
    EXPECT_TRUE(longPathForm("x.zan").is_absolute());
}

// Save As from /w/proj into another folder: relative paths keep naming the same files.
TEST(Lifecycle, SaveAsElsewhereKeepsEveryPathPointingAtItsFile) {
    model::Project project("/prog/", "/home/u/Setup.exe");
    project.files.push_back({"payload/app.exe", "1", "<InstallDir>\\app.exe", "Overwrite", "No"});
    project.files.push_back({"../shared/lib.dll", "1", "<InstallDir>\\lib.dll", "Overwrite", "No"});
    project.files.push_back({"/abs/readme.txt", "1", "<InstallDir>\\readme.txt", "Overwrite", "No"});
    project.licenses = {{"(Default)", "docs/license.rtf"}, {"German", ""}};
    project.readmes = {{"(Default)", "./docs/readme.rtf"}};
    project.settings.wizard = "art/wizard.bmp";
    project.settings.header = "/prog/Header_0.bmp";
    project.settings.setupFile = "out/Setup.exe";

    model::Project child = project;  // into /w/proj/release: only what lies below stays relative
    reexpressRelativePaths(child, "/w/proj", "/w/proj/release");
    EXPECT_EQ(child.files[0].source, "/w/proj/payload/app.exe");
    EXPECT_EQ(child.files[1].source, "/w/shared/lib.dll");
    EXPECT_EQ(child.files[2].source, "/abs/readme.txt");
    EXPECT_EQ(child.licenses[1].file, "");
    EXPECT_EQ(child.settings.header, "/prog/Header_0.bmp");

    model::Project parent = project;  // into /w: everything still lies below
    reexpressRelativePaths(parent, "/w/proj", "/w/");
    EXPECT_EQ(parent.files[0].source, "proj/payload/app.exe");
    EXPECT_EQ(parent.files[1].source, "shared/lib.dll");
    EXPECT_EQ(parent.licenses[0].file, "proj/docs/license.rtf");
    EXPECT_EQ(parent.readmes[0].file, "proj/docs/readme.rtf");
    EXPECT_EQ(parent.settings.wizard, "proj/art/wizard.bmp");
    EXPECT_EQ(parent.settings.setupFile, "proj/out/Setup.exe");

    model::Project same = project;  // the same folder: the texts stay exactly as typed
    reexpressRelativePaths(same, "/w/proj", "/w/proj/");
    EXPECT_EQ(same.readmes[0].file, "./docs/readme.rtf");
    EXPECT_EQ(same.files[1].source, "../shared/lib.dll");
}

TEST(RecentList, KeepsTenExactPathsMostRecentFirst) {
    RecentList list;
    for (int i = 0; i < 10; ++i)
        EXPECT_TRUE(list.add("/p/" + std::to_string(i) + ".zan"));
    EXPECT_FALSE(list.add("/p/3.zan"));  // listed already: keeps its place
    EXPECT_EQ(list.entries().front(), "/p/9.zan");
    EXPECT_TRUE(list.add("/p/3.ZAN"));  // letter case makes another entry
    EXPECT_EQ(list.entries().size(), 10u);
    EXPECT_EQ(list.entries().front(), "/p/3.ZAN");
    EXPECT_EQ(list.entries().back(), "/p/1.zan");  // the eleventh drops the bottom one
}

TEST(RecentList, StoreRemovesStaleValuesAndLoadSkipsGoneFiles) {
    std::map<std::string, std::string> store{{"Recent0", "/old/0.zan"}, {"Recent5", "/old/5.zan"}};
    RecentList list;
    list.add("/p/b.zan");
    list.add("/p/a.zan");
    list.store([&](const std::string& name, const std::optional<std::string>& value) {
        if (value)
            store[name] = *value;
        else
            store.erase(name);
    });
    EXPECT_EQ(store, (std::map<std::string, std::string>{{"Recent0", "/p/a.zan"}, {"Recent1", "/p/b.zan"}}));

    store["Recent3"] = "/p/c.zan";
    RecentList loaded;
    loaded.load(
        [&](const std::string& name) -> std::optional<std::string> {
            const auto it = store.find(name);
            return it == store.end() ? std::nullopt : std::optional<std::string>(it->second);
        },
        [](const std::string& path) { return path != "/p/b.zan"; });
    EXPECT_EQ(loaded.entries(), (std::vector<std::string>{"/p/a.zan", "/p/c.zan"}));
}

}  // namespace
}  // namespace corvane::project
