#include "core/folders.h"
#include "core/textfile.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

using namespace testing_support;

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
