// Starting the spreadsheet on Linux: a Windows EXCEL.EXE goes through Wine as
// the game does, LibreOffice's starters run with the arguments they are given.
#include "platform/launcher.h"
#include "support/fakes.h"
#include "support/scoped_env.h"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <thread>

namespace fs = std::filesystem;
using namespace testing_support;

namespace {

// A shell script that writes its arguments, one per line, then "end".
void writeRecorder(const fs::path& at, const fs::path& record) {
    writeFile(at, "#!/bin/sh\nfor a in \"$@\"; do echo \"$a\"; done > '" + record.string() +
                      ".part'\necho end >> '" + record.string() + ".part'\nmv '" + record.string() +
                      ".part' '" + record.string() + "'\n");
    fs::permissions(at, fs::perms::owner_all);
}

std::string waitForRecord(const fs::path& record) {
    for (int i = 0; i < 3000 && !fs::exists(record); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return readFile(record);
}

} // namespace

TEST(SpreadsheetLaunch, ExcelRunsThroughWineAndCalcStartersWithTheirArguments) {
    TempDir tmp;
    const fs::path bin = tmp.path() / "bin";
    fs::create_directories(bin);
    const fs::path record = tmp.path() / "record.txt";
    // Wine is stood in for by a recorder found first on PATH.
    writeRecorder(bin / "wine", record);
    const char* path = std::getenv("PATH");
    ScopedEnv env("PATH", bin.string() + ":" + (path ? path : ""));

    const fs::path office = tmp.path() / "Office";
    fs::create_directories(office);
    writeFile(office / "EXCEL.EXE", std::string("MZ\x90\0\3\0\0\0", 8));
    writeRecorder(office / "soffice", record);

    struct Case {
        fs::path program;
        std::vector<std::string> arguments;
        std::string recorded;
    };
    const Case cases[] = {
        {office / "EXCEL.EXE", {}, (office / "EXCEL.EXE").string() + "\nend\n"},
        {office / "soffice", {"--calc"}, "--calc\nend\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.program.string());
        fs::remove(record);
        const auto started =
            platform::systemLauncher()->startProgram(c.program.string(), c.arguments);
        ASSERT_TRUE(started.started) << started.error;
        EXPECT_EQ(waitForRecord(record), c.recorded);
    }
}
