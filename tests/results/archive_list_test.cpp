#include "results/archive_list.h"
#include "platform/files.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

using namespace testing_support;

TEST(ArchiveList, PlaceholderFirstThenReportsInReverseListingOrder) {
    TempDir app;
    for (const char* n : {"FRWb_A.txt", "FRWb_B.txt", "FRWb_C.txt"}) writeFile(app.path() / "User Results" / n, "x");
    std::filesystem::create_directories(app.path() / "User Results" / "subfolder");
    const std::string results = app.folder() + "User Results" + platform::folderSeparator();
    const std::vector<std::string> reports{results + "FRWb_C.txt", results + "FRWb_B.txt",
                                           results + "FRWb_A.txt"};
    EXPECT_EQ(results::resultsFolder(app.folder()), results);
    EXPECT_EQ(results::archivedReports(app.folder()), reports);
    std::vector<std::string> items{"Previously Generated Results"};
    items.insert(items.end(), reports.begin(), reports.end());
    EXPECT_EQ(results::archiveItems(app.folder()), items);
}

TEST(ArchiveList, NoResultsFolderGivesThePlaceholderAlone) {
    TempDir app;
    EXPECT_TRUE(results::archivedReports(app.folder()).empty());
    EXPECT_EQ(results::archiveItems(app.folder()), std::vector<std::string>{"Previously Generated Results"});
}
