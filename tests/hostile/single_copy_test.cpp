// The guard against a second copy, against what the environment and other users
// can do to it. Cases that need a second user run as root, through setpriv with
// the system's "nobody"; as an ordinary user they are skipped, saying so.
#include "core/textfile.h"
#include "platform/launcher.h"
#include "platform/single_instance.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>
#include <unistd.h>

using namespace testing_support;
namespace fs = std::filesystem;
using State = platform::SingleCopy::State;

namespace {

constexpr int kNobody = 65534;

std::string waitForLine(const fs::path& file) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    std::string text;
    while ((text = readFile(file)).find("\r\n") == std::string::npos &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return text;
}

// A folder with the holder helper in it that another user may enter and write in.
struct HolderFolder {
    TempDir dir;
    HolderFolder() {
        fs::copy_file(FRAMEWISE_HOLDER, dir.path() / "holder");
        fs::permissions(dir.path(), fs::perms::all);
    }
    std::string command(const std::string& args) const { return "holder " + args; }
};

// Every guard file of this test's name in the user's own guard folder goes at the end.
struct ForgetGuards {
    std::string name;
    ~ForgetGuards() {
        std::error_code ec;
        for (fs::directory_iterator it(platform::singleCopyFolder(), ec), end; !ec && it != end;
             it.increment(ec))
            if (it->path().filename().string().rfind(name, 0) == 0) fs::remove(it->path(), ec);
    }
};

struct EnvVar {
    std::string name;
    std::string old;
    bool had;
    EnvVar(std::string n, const char* value) : name(std::move(n)) {
        const char* v = std::getenv(name.c_str());
        had = v != nullptr;
        if (had) old = v;
        if (value)
            ::setenv(name.c_str(), value, 1);
        else
            ::unsetenv(name.c_str());
    }
    ~EnvVar() {
        if (had)
            ::setenv(name.c_str(), old.c_str(), 1);
        else
            ::unsetenv(name.c_str());
    }
};

} // namespace

// Two copies started with different runtime folders, homes and temporary folders
// still meet at one guard.
TEST(SingleCopyGuard, DoesNotMoveWithTheEnvironment) {
    const std::string folder = platform::singleCopyFolder();
    ASSERT_FALSE(folder.empty());
    HolderFolder holder;
    ForgetGuards forget{"FramewiseEnvTest" + std::to_string(::getpid())};
    const std::string install = holder.dir.folder();
    {
        EnvVar runtime("XDG_RUNTIME_DIR", holder.dir.path().c_str());
        EnvVar home("HOME", holder.dir.path().c_str());
        EnvVar tmp("TMPDIR", holder.dir.path().c_str());
        EXPECT_EQ(platform::singleCopyFolder(), folder);
        ASSERT_TRUE(platform::systemLauncher()
                        ->startGame(holder.dir.folder(), holder.command(forget.name + " " + install))
                        .started);
        EXPECT_EQ(waitForLine(holder.dir.path() / "holder.txt"), "held\r\n");
    }
    EnvVar runtime("XDG_RUNTIME_DIR", nullptr);
    EXPECT_EQ(platform::acquireSingleInstance(forget.name, install).state, State::Elsewhere);
    writeFile(holder.dir.path() / "release", "");
    EXPECT_EQ(waitForLine(holder.dir.path() / "released.txt"), "released\r\n");
    EXPECT_EQ(platform::acquireSingleInstance(forget.name, install).state, State::Held);
}

// A guard folder that anyone else could put a file in is not used: the failure is
// told with the folder's name, never silently taken as "no other copy".
TEST(SingleCopyGuard, AFolderOthersCouldWriteInIsRefusedAndTold) {
    TempDir dir;
    const fs::path open = dir.path() / "open";
    fs::create_directory(open);
    fs::permissions(open, fs::perms::all);
    fs::create_directory(dir.path() / "mine");
    fs::create_directory_symlink(dir.path() / "mine", dir.path() / "link");
    struct Case {
        fs::path folder;
        std::string why;
    } cases[] = {{open, "other users can write in " + open.string()},
                 {dir.path() / "link", (dir.path() / "link").string() + " is not a folder"}};
    for (const auto& c : cases) {
        auto got = platform::acquireSingleInstanceIn(c.folder.string(), "T", "/install/");
        EXPECT_EQ(got.state, State::Failed) << c.folder;
        EXPECT_EQ(got.why, c.why);
        EXPECT_FALSE(got.guard);
    }
    EXPECT_TRUE(fs::is_empty(dir.path() / "mine"));
}

TEST(SingleCopyGuard, AFolderOfAnotherUserIsRefusedAndTold) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to give a folder to another user";
    TempDir dir;
    const fs::path theirs = dir.path() / "theirs";
    fs::create_directory(theirs);
    ASSERT_EQ(::chown(theirs.c_str(), kNobody, kNobody), 0);
    auto got = platform::acquireSingleInstanceIn(theirs.string(), "T", "/install/");
    EXPECT_EQ(got.state, State::Failed);
    EXPECT_EQ(got.why, theirs.string() + " belongs to another user");
}

// Another user can neither take this user's guard nor keep this user out.
TEST(SingleCopyGuard, AnotherUserCannotHoldIt) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to run the helper as another user";
    if (std::system("command -v setpriv >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "setpriv (util-linux) is not installed";
    HolderFolder holder;
    const std::string locks = (holder.dir.path() / "locks").string();
    const std::string install = "/install/";
    const std::string run = "cd '" + holder.dir.path().string() +
                            "' && setpriv --reuid=" + std::to_string(kNobody) +
                            " --regid=" + std::to_string(kNobody) + " --clear-groups ./" +
                            holder.command("T " + install + " " + locks) + " </dev/null";
    // While this user holds it, the other user is not told "refused" but cannot
    // get at the guard at all.
    auto ours = platform::acquireSingleInstanceIn(locks, "T", install);
    ASSERT_EQ(ours.state, State::Held) << ours.why;
    ASSERT_EQ(std::system(run.c_str()), 0);
    EXPECT_EQ(readFile(holder.dir.path() / "holder.txt"), "failed\r\n");
    // With the guard free, still only this user can take it.
    ours.guard.reset();
    fs::remove(holder.dir.path() / "holder.txt");
    ASSERT_EQ(std::system(run.c_str()), 0);
    EXPECT_EQ(readFile(holder.dir.path() / "holder.txt"), "failed\r\n");
    EXPECT_EQ(platform::acquireSingleInstanceIn(locks, "T", install).state, State::Held);
}
