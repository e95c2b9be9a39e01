#include "project/Lifecycle.h"

#include <map>

#include <gtest/gtest.h>

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

TEST(RecentList, KeepsTenExactPathsMostRecentFirst) {
    RecentList list;
    for (int i = 0; i < 10; ++i) EXPECT_TRUE(list.add("/p/" + std::to_string(i) + ".zan"));
    EXPECT_FALSE(list.add("/p/3.zan"));  // listed already: keeps its place
    EXPECT_EQ(list.entries().front(), "/p/9.zan");
    EXPECT_TRUE(list.add("/p/3.ZAN"));   // letter case makes another entry
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
