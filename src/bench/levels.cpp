#include "bench/levels.h"

#include <algorithm>
#include <array>

namespace bench {

namespace {
constexpr std::array<LevelNames, kLevelCount> kLevels{{
    {"lo", ".lo", "Normal"},
    {"hi", ".hi", "High"},
    {"max", ".max", "Maximum"},
    {"custom", ".cus", "Custom"},
}};

constexpr std::array<const char*, kResolutionCount> kResolutionTexts{
    "320x240",  "400x300",  "512x384",   "640x480",   "800x600",   "960x720",
    "1024x768", "1152x864", "1280x1024", "1600x1200", "2048x1536", "856x480"};
} // namespace

const LevelNames& levelNames(Level level) {
    return kLevels[static_cast<std::size_t>(level)];
}

std::string levelFileName(Level level) {
    return std::string(kToolFilePrefix) + levelNames(level).code + ".cfg";
}

std::string continuationFileName(Level level) {
    return std::string(kToolFilePrefix) + "cont_" + levelNames(level).code + ".cfg";
}

const char* resolutionText(int mode) {
    if (mode < 0 || mode >= kResolutionCount) return "";
    return kResolutionTexts[static_cast<std::size_t>(mode)];
}

std::vector<Level> chosenLevels(const RunChoices& choices) {
    std::vector<Level> levels;
    for (int i = 0; i < kLevelCount; ++i)
        if (choices.levels[static_cast<std::size_t>(i)]) levels.push_back(static_cast<Level>(i));
    return levels;
}

std::vector<int> chosenModes(const RunChoices& choices) {
    std::vector<int> modes;
    for (int i = 0; i < kResolutionCount; ++i)
        if (choices.resolutions[static_cast<std::size_t>(i)]) modes.push_back(i);
    return modes;
}

int runCount(const RunChoices& choices) {
    return std::clamp(choices.runs, 1, 3);
}

std::string demoName(const RunChoices& choices) {
    if (choices.selectedDemo < 0 ||
        choices.selectedDemo >= static_cast<int>(choices.demoEntries.size()))
        return {};
    const std::string& entry = choices.demoEntries[static_cast<std::size_t>(choices.selectedDemo)];
    // The game is asked for the whole name without its extension: "bench1.old.dm_2"
    // plays as "bench1.old", never as "bench1".
    const auto dot = entry.rfind('.');
    return dot == std::string::npos ? entry : entry.substr(0, dot);
}

bool demoNameReadAsAFile(const std::string& name) {
    const auto dot = name.rfind('.');
    if (dot == std::string::npos) return false;
    const std::string inner = name.substr(dot + 1, 3);
    return inner.size() == 3 && (inner[0] == 'd' || inner[0] == 'D') &&
           (inner[1] == 'm' || inner[1] == 'M') && inner[2] == '_';
}

bool demoNameIsSafe(const std::string& name) {
    if (name.empty()) return false;
    return std::none_of(name.begin(), name.end(), [](char c) {
        auto u = static_cast<unsigned char>(c);
        return u < 0x20 || u == 0x7f || c == ' ' || c == '"' || c == ';';
    });
}

} // namespace bench
