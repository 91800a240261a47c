// Files that others can put where the tool expects a text file: FIFOs, devices,
// links. Reading or writing one must end at once with a reason, never hang,
// never run away, never write through a planted link.
#include "core/textfile.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

struct Special {
    std::string name;
    std::string why;
};

// A folder holding one of each kind the tool must refuse.
std::vector<Special> makeSpecials(const fs::path& dir) {
    EXPECT_EQ(::mkfifo((dir / "fifo.ini").c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", dir / "zero_link.ini");
    fs::create_symlink(dir / "fifo.ini", dir / "fifo_link.ini");
    const std::string device = "it is a device, not an ordinary file";
    const std::string fifo = "it is a FIFO, not an ordinary file";
    return {{"fifo.ini", fifo},
            {"fifo_link.ini", fifo},
            {"zero_link.ini", device},
            {"/dev/null", device}};
}

} // namespace

TEST(SpecialFiles, ReadingOneEndsAtOnceWithItsKind) {
    TempDir dir;
    for (const auto& s : makeSpecials(dir.path())) {
        std::string why;
        EXPECT_FALSE(core::readAll(dir.path() / s.name, &why)) << s.name;
        EXPECT_EQ(why, s.why) << s.name;
        why.clear();
        EXPECT_FALSE(core::readFirstLine(dir.path() / s.name, &why)) << s.name;
        EXPECT_EQ(why, s.why) << s.name;
    }
}

TEST(SpecialFiles, WritingOneIsRefusedAndNothingIsWrittenThroughIt) {
    TempDir dir;
    for (const auto& s : makeSpecials(dir.path())) {
        if (s.name == "/dev/null") continue;
        std::string why;
        EXPECT_FALSE(core::writeLines(dir.path() / s.name, {"x"}, &why)) << s.name;
        EXPECT_EQ(why, s.why) << s.name;
    }
    EXPECT_TRUE(fs::is_fifo(dir.path() / "fifo.ini"));
}

// A link planted under the name of a file that is created new: an error, and
// neither the link's target nor the place it points to is touched.
TEST(SpecialFiles, FreshFileNeverFollowsAPlantedLink) {
    TempDir dir;
    writeFile(dir.path() / "victim.cfg", "precious\r\n");
    fs::create_symlink(dir.path() / "victim.cfg", dir.path() / "report.txt");
    fs::create_symlink(dir.path() / "not_there.cfg", dir.path() / "dangling.txt");
    for (const char* name : {"report.txt", "dangling.txt"}) {
        core::LineWriter w;
        EXPECT_FALSE(w.open(dir.path() / name, core::Creation::Fresh)) << name;
        EXPECT_EQ(w.why(), "a link stands under that name") << name;
        EXPECT_TRUE(fs::is_symlink(dir.path() / name)) << name;
    }
    EXPECT_EQ(readFile(dir.path() / "victim.cfg"), "precious\r\n");
    EXPECT_FALSE(fs::exists(dir.path() / "not_there.cfg"));
    // The replacing write puts a new file in the link's place, whole: the
    // tool's own files are never written through a link.
    ASSERT_TRUE(core::writeLines(dir.path() / "report.txt", {"new"}));
    EXPECT_EQ(readFile(dir.path() / "victim.cfg"), "precious\r\n");
    EXPECT_FALSE(fs::is_symlink(dir.path() / "report.txt"));
    EXPECT_EQ(readFile(dir.path() / "report.txt"), "new\r\n");
    EXPECT_FALSE(fs::exists(dir.path() / "report.txt.tmp"));
}
