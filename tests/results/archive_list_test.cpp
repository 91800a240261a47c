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

// The newest report is told by the moment in its name, not by the name's text:
// the year comes last in it, and a numbered name follows its unnumbered one.
TEST(ArchiveList, NewestReportIsTheOneStartedLast) {
    struct Case {
        std::vector<std::string> reports;
        std::string newest;
    };
    const std::vector<Case> cases{
        {{}, ""},
        {{"/a/FRWb_123125_235959.txt", "/a/FRWb_010126_000001.txt"}, "/a/FRWb_010126_000001.txt"},
        {{"/a/FRWb_120426_193005.txt", "/a/FRWb_120426_193004.txt"}, "/a/FRWb_120426_193005.txt"},
        {{"/a/FRWb_120426_193005_2.txt", "/a/FRWb_120426_193005.txt"},
         "/a/FRWb_120426_193005_2.txt"},
        {{"/a/FRWb_120426_193005_10.txt", "/a/FRWb_120426_193005_9.txt"},
         "/a/FRWb_120426_193005_10.txt"},
        {{"C:\\r\\FRWb_120426_193005.txt", "C:\\r\\notes.txt"}, "C:\\r\\FRWb_120426_193005.txt"},
        // Not the tool's names: copied in by hand, or with another ending.
        {{"/a/mine.txt", "/a/FRWb_1204_1930.txt", "/a/FRWb_120426_193005.csv",
          "/a/FRWb_120426_193005_x.txt", "/a/FRWb_120426_193005_99999999999.txt"},
         ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.newest);
        EXPECT_EQ(results::newestReport(c.reports), c.newest);
    }
}
