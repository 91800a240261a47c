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

std::string numberedReportName(const std::string& name, int n) {
    if (n <= 1) return name;
    const std::string ending = ".txt";
    const bool hasEnding = name.size() >= ending.size() &&
                           name.compare(name.size() - ending.size(), ending.size(), ending) == 0;
    const std::string stem = hasEnding ? name.substr(0, name.size() - ending.size()) : name;
    return stem + "_" + std::to_string(n) + (hasEnding ? ending : "");
}

std::optional<ReportNameParts> readReportName(const std::string& name) {
    auto digits = [&](std::size_t at, std::size_t n) {
        if (n == 0 || at + n > name.size()) return false;
        for (std::size_t i = at; i < at + n; ++i)
            if (name[i] < '0' || name[i] > '9') return false;
        return true;
    };
    // "FRWb_" mmddyy "_" hhmmss, then ".txt" or "_" n ".txt"
    if (name.size() < 22 || name.compare(0, 5, kToolFilePrefix) != 0 || !digits(5, 6) ||
        name[11] != '_' || !digits(12, 6) || name.compare(name.size() - 4, 4, ".txt") != 0)
        return std::nullopt;
    ReportNameParts parts{name.substr(5, 6), name.substr(12, 6)};
    if (name.size() == 22) return parts;
    const std::size_t numberLength = name.size() - 23;
    if (name[18] != '_' || numberLength > 6 || !digits(19, numberLength))
        return std::nullopt;
    parts.number = std::stoi(name.substr(19, numberLength));
    return parts;
}

std::string freeReportName(const std::string& name,
                           const std::function<bool(const std::string&)>& taken) {
    for (int n = 1;; ++n) {
        std::string candidate = numberedReportName(name, n);
        if (!taken(candidate)) return candidate;
    }
}

std::string startTimeText(const platform::LocalTime& t) {
    int hour12 = t.hour % 12 == 0 ? 12 : t.hour % 12;
    std::string text = t.longDate + "  " + twoDigits(hour12) + ":" + twoDigits(t.minute) + ":" +
                       twoDigits(t.second);
    if (!t.amPm.empty()) text += " " + t.amPm;
    return text;
}

std::vector<std::string> runRecordLines(const RunChoices& choices, const std::string& comment,
                                        const platform::LocalTime& t,
                                        const std::string& reportName) {
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
    lines.push_back(reportName.empty() ? reportFileName(t) : reportName);
    lines.push_back(startTimeText(t));
    lines.push_back(comment);
    return lines;
}

bool writeRunRecord(const std::string& mainFolder, const RunChoices& choices,
                    const std::string& comment, const platform::LocalTime& t,
                    const std::string& reportName) {
    return core::writeLines(core::fsPath(mainFolder + kRunRecordFile),
                            runRecordLines(choices, comment, t, reportName));
}

} // namespace bench
