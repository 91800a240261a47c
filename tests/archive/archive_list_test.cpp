#include "archive/archive_list.h"
#include "platform/files.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

using namespace testing_support;

TEST(ArchiveList, PlaceholderFirstThenReportsInReverseListingOrder) {
    TempDir app;
    for (const char* n : {"FRWb_A.txt", "FRWb_B.txt", "FRWb_C.txt"}) writeFile(app.path() / "User Results" / n, "x");
    std::filesystem::create_directories(app.path() / "User Results" / "subfolder");
    const std::string results = app.folder() + "User Results" + platform::folderSeparator();
    EXPECT_EQ(archive::archiveItems(app.folder()),
              (std::vector<std::string>{"Previously Generated Results", results + "FRWb_C.txt",
                                        results + "FRWb_B.txt", results + "FRWb_A.txt"}));
}

TEST(ArchiveList, NoResultsFolderGivesThePlaceholderAlone) {
    TempDir app;
    EXPECT_EQ(archive::archiveItems(app.folder()), std::vector<std::string>{"Previously Generated Results"});
}
