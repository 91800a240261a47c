#include "core/folders.h"
#include "core/textfile.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

using namespace testing_support;
namespace fs = std::filesystem;

TEST(TextFile, WritesEveryLineWithCrLfAndReplacesOldContent) {
    TempDir dir;
    auto f = dir.path() / "a.ini";
    writeFile(f, "old content that is longer than the new one\r\n");
    ASSERT_TRUE(core::writeLines(f, {"con3", "", "with \"quotes\" and  blanks "}));
    EXPECT_EQ(readFile(f), "con3\r\n\r\nwith \"quotes\" and  blanks \r\n");
}

TEST(TextFile, LineEndsAtCrOrCrLfButNotAtALoneLf) {
    struct Case {
        std::string bytes;
        std::vector<std::string> lines;
    } cases[] = {
        {"", {}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\rb", {"a", "b"}},
        {"a\nb\r\nc", {"a\nb", "c"}},
        {"\r\n\r\n", {"", ""}},
        {"x\r\r\ny", {"x", "", "y"}},
    };
    for (const auto& c : cases) EXPECT_EQ(core::splitLines(c.bytes), c.lines) << c.bytes;
}

TEST(TextFile, ReadingAMissingFileGivesNothing) {
    TempDir dir;
    EXPECT_FALSE(core::readLines(dir.path() / "none"));
    EXPECT_FALSE(core::readFirstLine(dir.path() / "none"));
    writeFile(dir.path() / "empty", "");
    EXPECT_FALSE(core::readFirstLine(dir.path() / "empty"));
}

TEST(TextFile, PieceWriterEndsLinesOnlyWhereAsked) {
    TempDir dir;
    auto f = dir.path() / "r.txt";
    core::LineWriter w;
    ASSERT_TRUE(w.open(f));
    w.write("  CFG FILES RUN:  ");
    w.write("Normal ");
    w.write(" ");
    w.endLine();
    w.write("unended");
    ASSERT_TRUE(w.close());
    EXPECT_EQ(readFile(f), "  CFG FILES RUN:  Normal  \r\nunended");
}

TEST(Names, OnlyPlainFileNamesPass) {
    for (const char* ok : {"FRWb_3.lo", "FRWb_120426_193005.txt", "a b"}) EXPECT_TRUE(core::isPlainName(ok)) << ok;
    for (const char* bad : {"", ".", "..", "../x", "a/b", "a\\b", "C:x", "..\\FRWb_3.lo"})
        EXPECT_FALSE(core::isPlainName(bad)) << bad;
}

// A folder or an oversized file in place of a text file is refused with a reason,
// and nothing is read from it.
TEST(TextFile, ReadsOnlyOrdinaryFilesUpToTheBound) {
    TempDir dir;
    fs::create_directory(dir.path() / "folder.ini");
    writeFile(dir.path() / "huge.ini", "");
    fs::resize_file(dir.path() / "huge.ini", core::kReadLimit + 1); // sparse: costs no disk
    writeFile(dir.path() / "long_line.ini", std::string(core::kFirstLineLimit + 1, 'x'));
    struct Case {
        std::string name;
        std::string why;
    } cases[] = {{"folder.ini", "it is a folder"},
                 {"huge.ini", "it is larger than " + std::to_string(core::kReadLimit) + " bytes"},
                 {"none.ini", "it does not exist"}};
    for (const auto& c : cases) {
        std::string why;
        EXPECT_FALSE(core::readAll(dir.path() / c.name, &why)) << c.name;
        EXPECT_EQ(why, c.why) << c.name;
        why.clear();
        EXPECT_FALSE(core::readLines(dir.path() / c.name, &why)) << c.name;
        EXPECT_EQ(why, c.why) << c.name;
    }
    std::string why;
    EXPECT_FALSE(core::readFirstLine(dir.path() / "long_line.ini", &why));
    EXPECT_EQ(why, "it is larger than " + std::to_string(core::kFirstLineLimit) + " bytes");
    // Right at the bound still reads.
    writeFile(dir.path() / "at_bound.ini", std::string(core::kFirstLineLimit, 'y'));
    EXPECT_EQ(core::readFirstLine(dir.path() / "at_bound.ini")->size(), core::kFirstLineLimit);
}

TEST(TextFile, WritingIntoAFolderFailsWithAReason) {
    TempDir dir;
    fs::create_directory(dir.path() / "x.txt");
    std::string why;
    EXPECT_FALSE(core::writeLines(dir.path() / "x.txt", {"a"}, &why));
    EXPECT_EQ(why, "it is a folder");
    core::LineWriter w;
    EXPECT_FALSE(w.open(dir.path() / "x.txt", core::Creation::Fresh));
    EXPECT_EQ(w.why(), "it is a folder");
    EXPECT_TRUE(fs::is_directory(dir.path() / "x.txt"));
}

// A fresh file replaces an old one by a new file: a second name of the old file
// (a hard link) keeps the old content.
TEST(TextFile, FreshFileIsANewFileNotTheOldOneOverwritten) {
    TempDir dir;
    writeFile(dir.path() / "r.txt", "old report\r\n");
    std::error_code ec;
    fs::create_hard_link(dir.path() / "r.txt", dir.path() / "other.txt", ec);
    core::LineWriter w;
    ASSERT_TRUE(w.open(dir.path() / "r.txt", core::Creation::Fresh)) << w.why();
    w.line("new report");
    ASSERT_TRUE(w.close());
    EXPECT_EQ(readFile(dir.path() / "r.txt"), "new report\r\n");
    if (!ec) {
        EXPECT_EQ(readFile(dir.path() / "other.txt"), "old report\r\n");
    }
}
