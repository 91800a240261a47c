#include "bench/run_record.h"

#include "bench/levels.h"
#include "core/folders.h"
#include "core/textfile.h"

#include <cstdio>

namespace bench {

namespace {
std::string twoDigits(int n) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d", n);
    return buf;
}
} // namespace

std::string reportFileName(const platform::LocalTime& t) {
    return std::string(kToolFilePrefix) + twoDigits(t.month) + twoDigits(t.day) +
           twoDigits(t.year % 100) + "_" + twoDigits(t.hour) + twoDigits(t.minute) +
           twoDigits(t.second) + ".txt";
}

std::string startTimeText(const platform::LocalTime& t) {
    int hour12 = t.hour % 12 == 0 ? 12 : t.hour % 12;
    std::string text = t.longDate + "  " + twoDigits(hour12) + ":" + twoDigits(t.minute) + ":" +
                       twoDigits(t.second);
    if (!t.amPm.empty()) text += " " + t.amPm;
    return text;
}

std::vector<std::string> runRecordLines(const RunChoices& choices, const std::string& comment,
                                        const platform::LocalTime& t) {
    std::vector<std::string> lines;
    lines.push_back(choices.threePerDump ? "con3" : "con1");
    lines.push_back(demoName(choices));
    const auto levels = chosenLevels(choices);
    lines.push_back(std::to_string(levels.size()));
    for (Level level : levels)
        lines.push_back(levelNames(level).recordName);
    const auto modes = chosenModes(choices);
    lines.push_back(std::to_string(modes.size()));
    for (int m : modes)
        lines.push_back(resolutionText(m));
    lines.push_back(std::to_string(runCount(choices)));
    lines.push_back(reportFileName(t));
    lines.push_back(startTimeText(t));
    lines.push_back(comment);
    return lines;
}

bool writeRunRecord(const std::string& mainFolder, const RunChoices& choices,
                    const std::string& comment, const platform::LocalTime& t) {
    return core::writeLines(core::fsPath(mainFolder + kRunRecordFile),
                            runRecordLines(choices, comment, t));
}

} // namespace bench
