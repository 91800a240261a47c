// The system record: the renderer lines read from real and stand-in dumps, the
// computer's facts, and the file beside the report, written whole and only anew.
#include "results/system_record.h"

#include "platform/system_facts.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace results;
using testing_support::readFile;
using testing_support::writeFile;
namespace fs = std::filesystem;

namespace {
const std::string kData = FRAMEWISE_RESULTS_DATA;
} // namespace

TEST(SystemRecord, RendererLinesOfTheRealEngineAndTheStandIn) {
    // Recorded from Debian's openarena under Xvfb: its first line, then one
    // renderer start. Length and hash of the extension list worked out apart.
    auto real = rendererFromDumps({readFile(kData + "engine_renderer.txt")});
    EXPECT_EQ(real.vendor, "Mesa/X.org");
    EXPECT_EQ(real.renderer, "llvmpipe (LLVM 15.0.6, 256 bits)");
    EXPECT_EQ(real.version, "4.5 (Compatibility Profile) Mesa 22.3.6");
    EXPECT_EQ(real.extensionsLength, 7804u);
    EXPECT_EQ(real.extensionsHash, "0d67fe1ea5ba9b53");
    EXPECT_EQ(real.gameVersion,
              "ioq3 1.36+u20221123.70d07d9+dfsg-1/Debian linux-x86_64 Jan  8 2023");

    // A dump of the same engine and driver, as condump writes it: the console broke
    // the extension list into lines of its width. Read whole again, it is the list
    // of the engine's log above, and the lines that fit stay as they are.
    auto dumped = rendererFromDumps({readFile(kData + "engine_renderer_dump.txt")});
    EXPECT_EQ(dumped.vendor, real.vendor);
    EXPECT_EQ(dumped.renderer, real.renderer);
    EXPECT_EQ(dumped.version, real.version);
    EXPECT_EQ(dumped.extensionsLength, 7804u);
    EXPECT_EQ(dumped.extensionsHash, "0d67fe1ea5ba9b53");
    EXPECT_EQ(dumped.gameVersion, real.gameVersion);
    // A renderer name longer than the console is wide, broken before the word that
    // overflowed; a line that had room for the next word ends where it ends.
    auto wrapped = rendererFromDumps(
        {"GL_VENDOR: X\nGL_RENDERER: AMD Radeon RX 6800 XT (navi21, LLVM 15.0.7, DRM 3.49,\n"
         "6.1.0-18-amd64)\nGL_VERSION: 4.6 (Compatibility Profile) Mesa 23.2.1\n"
         "GL_EXTENSIONS: GL_ARB_multitexture GL_EXT_texture_env_add GL_ARB_one\n"
         "GL_ARB_two GL_ARB_three\nGL_MAX_TEXTURE_SIZE: 16384\n"
         "GL_RENDERER: short\nInitializing OpenGL extensions\n"}); // a lone early line
    EXPECT_EQ(wrapped.renderer, "short");
    EXPECT_EQ(wrapped.extensionsLength, std::string("GL_ARB_multitexture GL_EXT_texture_env_add "
                                                    "GL_ARB_one GL_ARB_two GL_ARB_three")
                                            .size());
    auto longName = rendererFromDumps(
        {"GL_RENDERER: AMD Radeon RX 6800 XT (navi21, LLVM 15.0.7, DRM 3.49,\n6.1.0-18-amd64)\n"
         "GL_VERSION: 4.6 (Compatibility Profile) Mesa 23.2.1 and some more words here\n"});
    EXPECT_EQ(longName.renderer,
              "AMD Radeon RX 6800 XT (navi21, LLVM 15.0.7, DRM 3.49, 6.1.0-18-amd64)");

    // The stand-in's block; a later block wins, and a dump without one changes nothing.
    auto sim = rendererFromDumps(
        {readFile(kData + "engine_renderer.txt"),
         "----- R_Init -----\n...setting mode 3: 640 480\nGL_VENDOR: stand-in renderer\n"
         "GL_RENDERER: gamesim software rasteriser\nGL_VERSION: 1.1 gamesim\n"
         "GL_EXTENSIONS: GL_A GL_B \nMODE: 3, 640 x 480 windowed hz:N/A\n",
         "116 frames, 2.4 seconds: 48.0 fps\n"});
    EXPECT_EQ(sim.vendor, "stand-in renderer");
    EXPECT_EQ(sim.renderer, "gamesim software rasteriser");
    EXPECT_EQ(sim.extensionsLength, 9u);
    EXPECT_EQ(sim.gameVersion,
              "ioq3 1.36+u20221123.70d07d9+dfsg-1/Debian linux-x86_64 Jan  8 2023");

    auto none = rendererFromDumps({"116 frames, 2.4 seconds: 48.0 fps\n"});
    EXPECT_EQ(none.renderer, "");
    EXPECT_FALSE(none.extensionsLength);
}

TEST(SystemRecord, TheComputersFactsArePlausible) {
    const auto f = platform::systemFacts();
    EXPECT_FALSE(f.osName.empty());
    EXPECT_FALSE(f.osVersion.empty());
    EXPECT_GE(f.logicalCores, 1u);
    EXPECT_GT(f.memoryBytes, 0u);
}

TEST(SystemRecord, WrittenBesideTheReportReadBackAndNeverOverAnotherFile) {
    testing_support::TempDir tmp;
    const std::string report = tmp.folder() + "FRWb_120426_193005.txt";
    const std::string path = systemRecordPath(report);
    EXPECT_EQ(path, tmp.folder() + "FRWb_120426_193005.system.json");
    EXPECT_TRUE(isSystemRecordName("FRWb_120426_193005.system.json"));
    EXPECT_FALSE(isSystemRecordName("FRWb_120426_193005.txt"));

    SystemRecord r;
    r.set("renderer", "llvmpipe (LLVM 15.0.6, 256 bits)");
    r.set("comment", std::string("caf\xe9 \"quoted\" \\ back"));
    r.set("custom settings", "");
    std::string why;
    ASSERT_TRUE(writeSystemRecord(path, r, why)) << why;
    EXPECT_EQ(readFile(path), "{\r\n"
                              "  \"renderer\": \"llvmpipe (LLVM 15.0.6, 256 bits)\",\r\n"
                              "  \"comment\": \"caf\\u00e9 \\\"quoted\\\" \\\\ back\",\r\n"
                              "  \"custom settings\": \"\"\r\n"
                              "}\r\n");
    auto back = readSystemRecord(report);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->fields, r.fields);
    // Only the record is left: no scratch file beside it.
    std::size_t files = 0;
    for (const auto& e : fs::directory_iterator(tmp.folder())) {
        (void)e;
        ++files;
    }
    EXPECT_EQ(files, 1u);

    // An existing file, or a link planted under the name, is never written.
    r.set("renderer", "other");
    EXPECT_FALSE(writeSystemRecord(path, r, why));
    EXPECT_EQ(*readSystemRecord(report)->find("renderer"), "llvmpipe (LLVM 15.0.6, 256 bits)");
    const std::string target = tmp.folder() + "elsewhere.txt";
    writeFile(target, "mine\r\n");
    const std::string linked = tmp.folder() + "FRWb_2.system.json";
    std::error_code ec;
    fs::create_symlink(target, linked, ec); // Windows may not allow it here
    if (!ec) {
        EXPECT_FALSE(writeSystemRecord(linked, r, why));
        EXPECT_EQ(readFile(target), "mine\r\n");
    }
    // A folder that is not there: nothing is left behind.
    EXPECT_FALSE(writeSystemRecord(tmp.folder() + "gone/FRWb_3.system.json", r, why));
    EXPECT_FALSE(fs::exists(tmp.folder() + "gone"));

    // Whatever is not a flat object of texts is no record.
    for (const char* bad : {"", "{", "[]", "{\"a\": 1}", "{\"a\": \"b\",}", "{\"a\": \"b\"} x"})
        EXPECT_FALSE(parseSystemRecord(bad)) << bad;
    EXPECT_TRUE(parseSystemRecord("{}"));
    EXPECT_FALSE(readSystemRecord(tmp.folder() + "FRWb_none.txt"));
}

TEST(SystemRecord, ReportJsonCarriesTheRecordOrSaysThereIsNone) {
    auto reading = parseReport(readFile(kData + "FRWb_120426_193005.txt"), "FRWb_120426_193005.txt");
    ASSERT_TRUE(reading.table) << reading.error.message();
    const std::string plain = reportJson(*reading.table);
    SystemRecord r;
    r.set("renderer", "llvmpipe (LLVM 15.0.6, 256 bits)");
    r.set("comment", std::string("caf\xe9"));
    const std::string closing = "\n}\n";
    ASSERT_EQ(plain.substr(plain.size() - closing.size()), closing);
    const std::string table = plain.substr(0, plain.size() - closing.size());
    EXPECT_EQ(reportJson(*reading.table, r),
              table + ",\n  \"systemRecorded\": true,\n  \"system\": {\"renderer\": \"llvmpipe "
                      "(LLVM 15.0.6, 256 bits)\", \"comment\": \"caf\\u00e9\"}\n}\n");
    EXPECT_EQ(reportJson(*reading.table, std::nullopt),
              table + ",\n  \"systemRecorded\": false,\n  \"system\": null\n}\n");
}
