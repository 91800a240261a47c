// Reports the tool writes read back into the same figures; anything else is
// refused with the file and the line at fault.
#include "results/report_reader.h"

#include "core/textfile.h"
#include "results/report.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

using namespace results;
using testing_support::readFile;
using testing_support::ScriptedDialogs;
using testing_support::writeFile;
namespace fs = std::filesystem;

namespace {

const std::string kData = FRAMEWISE_RESULTS_DATA;
const std::string kWorked = "FRWb_120426_193005.txt";

struct Row {
    std::string level, width, height;
    std::vector<std::string> figures;
    std::string average;
    bool complete = true;
};

std::vector<Row> rowsOf(const ReportTable& t) {
    std::vector<Row> out;
    for (const auto& r : t.rows)
        out.push_back({r.level, r.width, r.height, r.figures, r.average, r.complete});
    return out;
}

bool operator==(const Row& a, const Row& b) {
    return a.level == b.level && a.width == b.width && a.height == b.height &&
           a.figures == b.figures && a.average == b.average && a.complete == b.complete;
}

void PrintTo(const Row& r, std::ostream* os) {
    *os << r.level << " " << r.width << "x" << r.height << " [";
    for (const auto& f : r.figures)
        *os << f << " ";
    *os << "] avg " << r.average << (r.complete ? "" : " (cut short)");
}

const std::vector<Row> kWorkedRows = {
    {"Normal", "640", "480", {"48.0", "47.4", "47.8"}, "47.73"},
    {"Normal", "1024", "768", {"35.2", "35.8", "35.5"}, "35.50"},
    {"High", "640", "480", {"40.5", "41.5", "41.0"}, "41.00"},
    {"High", "1024", "768", {"30.1", "30.4", "30.2"}, "30.23"},
};

ReportTable mustRead(const std::string& bytes) {
    auto reading = parseReport(bytes, "report.txt");
    EXPECT_TRUE(reading.table) << reading.error.message();
    return reading.table.value_or(ReportTable{});
}

// A main folder with a run record, a dump list and one dump per entry, compiled
// by the report writer.
struct Bench {
    testing_support::TempDir tmp;
    std::vector<std::string> listed;

    Bench(const std::string& mode, std::vector<std::string> levels,
          std::vector<std::string> resolutions, const std::string& runs) {
        std::vector<std::string> record{mode, "bench1", std::to_string(levels.size())};
        record.insert(record.end(), levels.begin(), levels.end());
        record.push_back(std::to_string(resolutions.size()));
        record.insert(record.end(), resolutions.begin(), resolutions.end());
        record.insert(record.end(),
                      {runs, "FRWb_010203_040506.txt", "Sunday, January 02, 2033  04:05:06 AM",
                       "a comment, \"quoted\""});
        writeFile(tmp.path() / "FRWb_setup.ini", testing_support::crlf(record));
    }
    // A dump of the given mode line and figures, named in the dump list.
    Bench& dump(const std::string& name, const std::string& size,
                const std::vector<std::string>& figures, bool write = true) {
        listed.push_back(name);
        std::string text = "]vid_restart\nMODE: 3, " + size + " fullscreen hz:N/A\n";
        for (const auto& f : figures)
            text += "1300 frames, 27.4 seconds: " + f + " fps\n";
        if (write) writeFile(tmp.path() / name, text);
        return *this;
    }
    std::string compile(ScriptedDialogs& d) {
        writeFile(tmp.path() / "FRWb_condump_list.ini", testing_support::crlf(listed));
        return compileReport(tmp.folder(), d).text;
    }
};

} // namespace

TEST(ReportReader, ArchivedWorkedExample) {
    auto t = mustRead(readFile(kData + kWorked));
    EXPECT_EQ(t.file, kWorked);
    EXPECT_EQ(t.startTime, "Friday, December 04, 2026  07:30:05 PM");
    EXPECT_EQ(t.comment, "No Comment");
    EXPECT_EQ(t.demo, "bench1");
    EXPECT_EQ(t.levels, (std::vector<std::string>{"Normal", "High"}));
    EXPECT_EQ(t.resolutions, (std::vector<std::string>{"640x480", "1024x768"}));
    EXPECT_EQ(t.runs, "3");
    EXPECT_FALSE(t.stoppedEarly);
    EXPECT_EQ(rowsOf(t), kWorkedRows);
}

TEST(ReportReader, ReportsCompiledFromBothDumpModesGiveTheirFigures) {
    for (const char* fixture : {"worked_con1", "worked_con3"}) {
        SCOPED_TRACE(fixture);
        ScriptedDialogs d;
        auto text = compileReport(kData + fixture + "/", d).text;
        EXPECT_EQ(rowsOf(mustRead(text)), kWorkedRows);
    }
}

TEST(ReportReader, EveryShapeTheWriterProduces) {
    struct Case {
        const char* name;
        std::function<std::string(ScriptedDialogs&)> write;
        std::vector<std::string> resolutions;
        std::vector<Row> rows;
        bool stopped = false;
        // What the header asks for without a whole line.
        std::vector<std::string> missing = {};
    };
    const std::vector<std::string> five{"320x240", "400x300", "512x384", "640x480", "800x600"};
    const std::vector<std::string> seven{"320x240", "400x300", "512x384", "640x480",
                                         "800x600", "960x720", "1024x768"};
    std::vector<Case> cases{
        {"five resolutions leave an empty line; one result has no average",
         [&](ScriptedDialogs& d) {
             Bench b("con3", {"Normal"}, five, "1");
             for (const auto& r : five)
                 b.dump("FRWb_" + r + ".lo",
                        r.substr(0, r.find('x')) + " x " + r.substr(r.find('x') + 1), {"9.5"});
             return b.compile(d);
         },
         five,
         {{"Normal", "320", "240", {"9.5"}, ""},
          {"Normal", "400", "300", {"9.5"}, ""},
          {"Normal", "512", "384", {"9.5"}, ""},
          {"Normal", "640", "480", {"9.5"}, ""},
          {"Normal", "800", "600", {"9.5"}, ""}}},
        {"seven resolutions continue on the next line; four results and a level not run",
         [&](ScriptedDialogs& d) {
             Bench b("con3", {"Normal", "Maximum"}, seven, "4");
             b.dump("FRWb_9.max", "1600 x 1200", {"123.4", "7", "47.25", "47.0"});
             return b.compile(d);
         },
         seven,
         {{"Maximum", "1600", "1200", {"123.4", "7", "47.25", "47.0"}, "56.16"}},
         false,
         {"Normal 320x240", "Normal 400x300", "Normal 512x384", "Normal 640x480", "Normal 800x600",
          "Normal 960x720", "Normal 1024x768", "Maximum 400x300", "Maximum 512x384",
          "Maximum 640x480", "Maximum 800x600", "Maximum 960x720", "Maximum 1024x768"}},
        {"one per dump, a run's dump missing mid-group: the line stops after its figures",
         [&](ScriptedDialogs& d) {
             d.expectMessage(kPrematureTermination);
             Bench b("con1", {"High", "Custom"}, {"640x480", "2048x1536"}, "2");
             b.dump("FRWb_3_1.hi", "640 x 480", {"41.0"})
                 .dump("FRWb_3_2.hi", "640 x 480", {"41.0"});
             b.dump("FRWb_10_1.hi", "2048 x 1536", {"20.5"}).dump("FRWb_10_2.hi", "", {}, false);
             b.dump("FRWb_3_1.cus", "640 x 480", {"50.0"});
             return b.compile(d);
         },
         {"640x480", "2048x1536"},
         {{"High", "640", "480", {"41.0", "41.0"}, "41.00"},
          {"High", "2048", "1536", {"20.5"}, "", false}},
         true,
         {"High 2048x1536", "Custom 640x480", "Custom 2048x1536"}},
        {"one per dump, a run short: the line stops after the runs there are",
         [&](ScriptedDialogs& d) {
             d.expectMessage(kStoppedEarly);
             Bench b("con1", {"Normal"}, {"640x480"}, "2");
             b.dump("FRWb_3_1.lo", "640 x 480", {"47.0"});
             return b.compile(d);
         },
         {"640x480"},
         {{"Normal", "640", "480", {"47.0"}, "", false}},
         true,
         {"Normal 640x480"}},
        {"a dump without results: the line stops after its label",
         [&](ScriptedDialogs& d) {
             d.expectMessage(
                 "Error - The console dump FRWb_3.lo holds no result line (\"<frames> frames, "
                 "<time> seconds: <fps> fps\").\r\n\r\nThe report keeps the lines written "
                 "before it.");
             Bench b("con3", {"Normal"}, {"640x480"}, "3");
             b.dump("FRWb_3.lo", "640 x 480", {});
             return b.compile(d);
         },
         {"640x480"},
         {{"Normal", "640", "480", {}, "", false}},
         true,
         {"Normal 640x480"}},
        {"the first dump of a level missing: the heading alone",
         [&](ScriptedDialogs& d) {
             d.expectMessage(kPrematureTermination);
             Bench b("con3", {"Normal"}, {"640x480"}, "3");
             b.dump("FRWb_3.lo", "640 x 480", {}, false);
             return b.compile(d);
         },
         {"640x480"},
         {},
         false,
         {"Normal 640x480"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedDialogs d;
        auto t = mustRead(c.write(d));
        EXPECT_EQ(t.resolutions, c.resolutions);
        EXPECT_EQ(t.comment, "a comment, \"quoted\"");
        EXPECT_EQ(rowsOf(t), c.rows);
        EXPECT_EQ(t.stoppedEarly, c.stopped);
        std::vector<std::string> missing;
        for (const auto& m : t.missing)
            missing.push_back(settingName(m));
        EXPECT_EQ(missing, c.missing);
        EXPECT_EQ(t.incomplete(), c.stopped || !c.missing.empty());
    }
}

TEST(ReportReader, DamagedOrForeignFilesNameTheLineAtFault) {
    const std::string worked = readFile(kData + kWorked);
    auto replaced = [&](const std::string& from, const std::string& to) {
        std::string s = worked;
        s.replace(s.find(from), from.size(), to);
        return s;
    };
    struct Case {
        const char* name;
        std::string bytes;
        std::size_t line;
        std::string words;
    };
    const std::vector<Case> cases{
        {"an empty file", "", 1, "ends here"},
        {"someone's notes", "my notes\r\nabout drivers\r\n", 1, "title line"},
        {"the report with bare LF line ends", replaced("\r\n", "\n"), 1, "title line"},
        {"binary bytes", std::string("\x89PNG\r\n\x1a\n\0\0", 10), 1, "title line"},
        {"cut inside the header", worked.substr(0, worked.find("DEMO:") + 5), 9, "DEMO:"},
        {"cut after a heading", worked.substr(0, worked.find("File Settings:") + 14), 15,
         "inside a line"},
        {"a figure edited into words", replaced(" 47.4,", "abcd,"), 16, "not a run's figure"},
        {"a figure changed", replaced(" 47.4,", " 47.5,"), 16, "not the average"},
        {"an average changed", replaced("  47.73 ", "  47.74 "), 16, "not the average"},
        {"an average without its blanks", replaced("  47.73 ", "47.73"), 16, "not an average"},
        {"an unknown heading", replaced("HIGH Configuration", "LOW Configuration"), 19, "heading"},
        {"levels out of order", replaced("HIGH Configuration", "NORMAL Configuration"), 19,
         "heading"},
        {"a result line without its label", replaced("  (640x480)  48.0", "  640x480   48.0"), 16,
         "result line"},
        {"two figures without an average", replaced(",   AVERAGE FPS:   47.73 ", ", "), 16,
         "no AVERAGE FPS:"},
        {"runs without times", replaced("3 times.", "3"), 12, "times."},
        {"too large", std::string(kMaxReportBytes + 1, 'x'), 0, "too large"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto reading = parseReport(c.bytes, "User Results/FRWb_x.txt");
        ASSERT_FALSE(reading.table);
        EXPECT_EQ(reading.error.line, c.line) << reading.error.message();
        EXPECT_EQ(reading.error.file, "User Results/FRWb_x.txt");
        EXPECT_NE(reading.error.what.find(c.words), std::string::npos) << reading.error.what;
        EXPECT_EQ(reading.error.message().rfind(c.line ? "User Results/FRWb_x.txt, line " +
                                                             std::to_string(c.line) + ": "
                                                       : "User Results/FRWb_x.txt: ",
                                                0),
                  0u);
    }
}

TEST(ReportReader, EveryPrefixOfAReportIsReadOrRefusedWithoutCrashing) {
    const std::string worked = readFile(kData + kWorked);
    std::size_t read = 0;
    for (std::size_t n = 0; n <= worked.size(); ++n) {
        auto reading = parseReport(worked.substr(0, n), "r");
        if (reading.table) {
            ++read;
        } else {
            EXPECT_GE(reading.error.line, 1u);
        }
    }
    // Cut at the end of the header or of a result line, it is a report that stopped.
    EXPECT_GE(read, 6u);
}

TEST(ReportReader, FilesThatCannotBeReadAreNamed) {
    testing_support::TempDir tmp;
    auto missing = readReport((tmp.path() / "gone.txt").string());
    ASSERT_FALSE(missing.table);
    EXPECT_EQ(missing.error.message(), (tmp.path() / "gone.txt").string() + ": could not be read");
    auto folder = readReport(tmp.path().string());
    EXPECT_FALSE(folder.table);
    writeFile(tmp.path() / kWorked, readFile(kData + kWorked));
    EXPECT_TRUE(readReport((tmp.path() / kWorked).string()).table);
}

TEST(ReportTableFormats, CsvAndJsonCarryTheReportsFigures) {
    auto t = mustRead(readFile(kData + kWorked));
    const std::string report = "FRWb_120426_193005.txt,bench1,2026-12-04T19:30:05,";
    EXPECT_EQ(reportCsv(t),
              "file,demo,startTime,level,width,height,run1,run2,run3,average,sd,min,max,spread,"
              "status\r\n" +
                  report + "Normal,640,480,48.0,47.4,47.8,47.73,0.31,47.4,48.0,0.6 %,complete\r\n" +
                  report +
                  "Normal,1024,768,35.2,35.8,35.5,35.50,0.30,35.2,35.8,0.8 %,complete\r\n" +
                  report + "High,640,480,40.5,41.5,41.0,41.00,0.50,40.5,41.5,1.2 %,complete\r\n" +
                  report + "High,1024,768,30.1,30.4,30.2,30.23,0.15,30.1,30.4,0.5 %,complete\r\n");
    EXPECT_EQ(
        reportJson(t),
        "{\n"
        "  \"schema\": 1,\n"
        "  \"file\": \"FRWb_120426_193005.txt\",\n"
        "  \"startTime\": \"Friday, December 04, 2026  07:30:05 PM\",\n"
        "  \"startTimeIso\": \"2026-12-04T19:30:05\",\n"
        "  \"comment\": \"No Comment\",\n"
        "  \"demo\": \"bench1\",\n"
        "  \"levels\": [\"Normal\", \"High\"],\n"
        "  \"resolutions\": [\"640x480\", \"1024x768\"],\n"
        "  \"runs\": 3,\n"
        "  \"stoppedEarly\": false,\n"
        "  \"complete\": true,\n"
        "  \"missing\": [],\n"
        "  \"rows\": [\n"
        "    {\"level\": \"Normal\", \"width\": 640, \"height\": 480, \"figures\": [48.0, 47.4, "
        "47.8], \"average\": 47.73, \"min\": 47.4, \"max\": 48.0, \"sd\": 0.3055, "
        "\"relativeSpread\": 0.006400},\n"
        "    {\"level\": \"Normal\", \"width\": 1024, \"height\": 768, \"figures\": [35.2, "
        "35.8, 35.5], \"average\": 35.50, \"min\": 35.2, \"max\": 35.8, \"sd\": 0.3000, "
        "\"relativeSpread\": 0.008451},\n"
        "    {\"level\": \"High\", \"width\": 640, \"height\": 480, \"figures\": [40.5, 41.5, "
        "41.0], \"average\": 41.00, \"min\": 40.5, \"max\": 41.5, \"sd\": 0.5000, "
        "\"relativeSpread\": 0.012195},\n"
        "    {\"level\": \"High\", \"width\": 1024, \"height\": 768, \"figures\": [30.1, 30.4, "
        "30.2], \"average\": 30.23, \"min\": 30.1, \"max\": 30.4, \"sd\": 0.1528, "
        "\"relativeSpread\": 0.005052}\n"
        "  ]\n"
        "}\n");
}

TEST(ReportTableFormats, UnevenRowsQuotedTextAndOddBytes) {
    ReportTable t;
    t.comment = std::string("caf\xe9 \"A\"\\ \x01", 11);
    t.demo = "caf\xc3\xa9";
    t.rows = {{"Normal", "640", "480", {".5", "12."}, "6.25", true},
              {"High", "1,0", "7", {"1", "2", "3"}, "", false},
              {"Maximum", "800", "600", {"050", "00.5"}, "025.25", true}};
    EXPECT_EQ(reportCsv(t),
              "file,demo,startTime,level,width,height,run1,run2,run3,average,sd,min,max,spread,"
              "status\r\n"
              ",caf\xc3\xa9,,Normal,640,480,.5,12.,,6.25,8.13,.5,12.,130.1 %,complete\r\n"
              ",caf\xc3\xa9,,High,\"1,0\",7,1,2,3,,1.00,1,3,50.0 %,cut short\r\n"
              ",caf\xc3\xa9,,Maximum,800,600,050,00.5,,025.25,35.00,00.5,050,138.6 %,complete\r\n");
    const std::string json = reportJson(t);
    EXPECT_NE(json.find("\"comment\": \"caf\\u00e9 \\\"A\\\"\\\\ \\u0001\""), std::string::npos)
        << json;
    EXPECT_NE(json.find("\"demo\": \"caf\xc3\xa9\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"figures\": [0.5, 12], \"average\": 6.25, \"min\": 0.5, \"max\": 12, "
                        "\"sd\": 8.1317, \"relativeSpread\": 1.301076}"),
              std::string::npos)
        << json;
    EXPECT_NE(json.find("\"width\": \"1,0\", \"height\": 7, \"figures\": [1, 2, 3], \"average\": "
                        "null, \"min\": 1, \"max\": 3, \"sd\": 1.0000, \"relativeSpread\": "
                        "0.500000, \"complete\": false}"),
              std::string::npos)
        << json;
    // JSON numbers have no leading zeros.
    EXPECT_NE(json.find("\"figures\": [50, 0.5], \"average\": 25.25, \"min\": 0.5, \"max\": 50,"),
              std::string::npos)
        << json;
}

TEST(ReportTableFormats, AReportThatLacksSettingsSaysWhichEverywhere) {
    // The game crashed after High 640x480: the header asks for more than ran.
    ScriptedDialogs d;
    d.expectMessage(kPrematureTermination);
    Bench b("con3", {"High", "Custom"}, {"640x480", "2048x1536"}, "2");
    b.dump("FRWb_3.hi", "640 x 480", {"41.0", "41.0"}).dump("FRWb_10.hi", "", {}, false);
    b.dump("FRWb_3.cus", "640 x 480", {"50.0", "50.0"});
    const std::string written = b.compile(d);
    auto t = mustRead(written);
    EXPECT_FALSE(t.stoppedEarly);
    ASSERT_TRUE(t.incomplete());

    const std::string json = reportJson(t);
    EXPECT_NE(json.find("  \"startTimeIso\": \"2003-01-02T04:05:06\",\n"), std::string::npos)
        << json;
    EXPECT_NE(json.find("  \"runs\": 2,\n  \"stoppedEarly\": false,\n  \"complete\": false,\n"
                        "  \"missing\": [{\"level\": \"High\", \"resolution\": \"2048x1536\"}, "
                        "{\"level\": \"Custom\", \"resolution\": \"640x480\"}, {\"level\": "
                        "\"Custom\", \"resolution\": \"2048x1536\"}],\n"),
              std::string::npos)
        << json;

    const std::string report = "FRWb_010203_040506.txt,bench1,2003-01-02T04:05:06,";
    EXPECT_EQ(reportCsv(t),
              "file,demo,startTime,level,width,height,run1,run2,average,sd,min,max,spread,"
              "status\r\n" +
                  report + "High,640,480,41.0,41.0,41.00,0.00,41.0,41.0,0.0 %,complete\r\n" +
                  report + "High,2048,1536,,,,,,,,did not run\r\n" + report +
                  "Custom,640,480,,,,,,,,did not run\r\n" + report +
                  "Custom,2048,1536,,,,,,,,did not run\r\n");
    EXPECT_NE(reportText(t).find("Incomplete: these settings did not run: High 2048x1536, "
                                 "Custom 640x480, Custom 2048x1536.\n"),
              std::string::npos);
    // A second report of the same second has a numbered name, with the same time.
    t.file = "FRWb_010203_040506_2.txt";
    EXPECT_NE(reportJson(t).find("\"startTimeIso\": \"2003-01-02T04:05:06\""), std::string::npos);
    // A report renamed by hand has no start time in its name: the text stands in.
    t.file = "mine.txt";
    EXPECT_NE(reportJson(t).find("\"startTimeIso\": null"), std::string::npos);
    EXPECT_NE(
        reportCsv(t).find("\r\nmine.txt,bench1,\"Sunday, January 02, 2033  04:05:06 AM\",High"),
        std::string::npos);
}
