#include "support/fakes.h"

#include "platform/files.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <thread>

namespace testing_support {

namespace {
const char* kindName(ScriptedDialogs::Kind k) {
    switch (k) {
    case ScriptedDialogs::Kind::Message: return "message box";
    case ScriptedDialogs::Kind::Input: return "input box";
    case ScriptedDialogs::Kind::File: return "file dialog";
    case ScriptedDialogs::Kind::Save: return "save dialog";
    case ScriptedDialogs::Kind::Folder: return "folder chooser";
    }
    return "?";
}
} // namespace

ScriptedDialogs::~ScriptedDialogs() {
    for (const auto& s : script_)
        ADD_FAILURE() << "expected " << kindName(s.kind) << " was never shown: \"" << s.text << "\"";
}

ScriptedDialogs& ScriptedDialogs::expectMessage(const std::string& text, core::Answer answer) {
    script_.push_back({Kind::Message, text, answer, false});
    return *this;
}
ScriptedDialogs& ScriptedDialogs::expectInput(const std::string& answer) {
    script_.push_back({Kind::Input, answer, core::Answer::Ok, false});
    return *this;
}
ScriptedDialogs& ScriptedDialogs::expectFileChoice(const std::string& path) {
    script_.push_back({Kind::File, path, core::Answer::Ok, false});
    return *this;
}
ScriptedDialogs& ScriptedDialogs::expectFileCancel() {
    script_.push_back({Kind::File, {}, core::Answer::Ok, true});
    return *this;
}

ScriptedDialogs& ScriptedDialogs::expectSaveChoice(const std::string& path) {
    script_.push_back({Kind::Save, path, core::Answer::Ok, path.empty()});
    return *this;
}

ScriptedDialogs& ScriptedDialogs::expectFolderChoice(const std::string& path) {
    script_.push_back({Kind::Folder, path, core::Answer::Ok, path.empty()});
    return *this;
}

core::Answer ScriptedDialogs::message(const core::Message& m) {
    Shown s;
    s.kind = Kind::Message;
    s.message = m;
    shown.push_back(s);
    if (onMessage) onMessage(m);
    if (script_.empty() || script_.front().kind != Kind::Message) {
        ADD_FAILURE() << "unexpected message box: \"" << m.text << "\""
                      << (script_.empty() ? "" : std::string(" (expected a ") + kindName(script_.front().kind) + ")");
        return m.buttons == core::Buttons::Ok ? core::Answer::Ok : core::Answer::Cancel;
    }
    auto step = script_.front();
    script_.pop_front();
    EXPECT_EQ(step.text, m.text) << "message box text";
    return step.answer;
}

std::string ScriptedDialogs::inputBox(const std::string& prompt, const std::string& title,
                                      const std::string& defaultText) {
    Shown s;
    s.kind = Kind::Input;
    s.prompt = prompt;
    s.title = title;
    s.defaultText = defaultText;
    shown.push_back(s);
    if (script_.empty() || script_.front().kind != Kind::Input) {
        ADD_FAILURE() << "unexpected input box: \"" << prompt << "\"";
        return {};
    }
    auto step = script_.front();
    script_.pop_front();
    return step.text;
}

std::string ScriptedDialogs::openFile(core::FileDialog which, const std::string& filter) {
    Shown s;
    s.kind = Kind::File;
    s.which = which;
    s.filter = filter;
    shown.push_back(s);
    if (script_.empty() || script_.front().kind != Kind::File) {
        ADD_FAILURE() << "unexpected file dialog with filter \"" << filter << "\"";
        return lastChoice_[which];
    }
    auto step = script_.front();
    script_.pop_front();
    if (!step.cancel) lastChoice_[which] = step.text;
    return lastChoice_[which];
}

std::string ScriptedDialogs::saveFile(const std::string& title, const std::string& filter,
                                     const std::string& suggestedName) {
    Shown s;
    s.kind = Kind::Save;
    s.title = title;
    s.filter = filter;
    s.defaultText = suggestedName;
    shown.push_back(s);
    if (script_.empty() || script_.front().kind != Kind::Save) {
        ADD_FAILURE() << "unexpected save dialog \"" << title << "\"";
        return {};
    }
    auto step = script_.front();
    script_.pop_front();
    return step.text;
}

std::string ScriptedDialogs::chooseFolder(const std::string& title, const std::string& start) {
    Shown s;
    s.kind = Kind::Folder;
    s.title = title;
    s.defaultText = start;
    shown.push_back(s);
    if (script_.empty() || script_.front().kind != Kind::Folder) {
        ADD_FAILURE() << "unexpected folder chooser \"" << title << "\"";
        return {};
    }
    auto step = script_.front();
    script_.pop_front();
    return step.text;
}

FixedClock::FixedClock() {
    time.year = 2026;
    time.month = 12;
    time.day = 4;
    time.hour = 19;
    time.minute = 30;
    time.second = 5;
    time.longDate = "Friday, December 04, 2026";
    time.amPm = "PM";
}

platform::RegistryValue FakeRegistry::readLocalMachine(const std::string& key, const std::string& name) {
    ++reads;
    auto it = values.find(key + "|" + name);
    return it == values.end() ? platform::RegistryValue{} : it->second;
}

void FakeRegistry::setText(const std::string& key, const std::string& name, const std::string& text) {
    platform::RegistryValue v;
    v.kind = platform::RegistryValue::Kind::Text;
    v.text = text + std::string(1, '\0');
    values[key + "|" + name] = v;
}

TempDir::TempDir() {
    static std::atomic<int> counter{0};
    auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    path_ = std::filesystem::temp_directory_path() /
            ("framewise-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::string TempDir::folder() const { return path_.string() + platform::folderSeparator(); }

void writeFile(const std::filesystem::path& file, const std::string& bytes) {
    if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string readFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> namesIn(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (auto& e : std::filesystem::directory_iterator(folder, ec)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string crlf(const std::vector<std::string>& lines) {
    std::string out;
    for (const auto& l : lines) out += l + "\r\n";
    return out;
}

GameInstall makeGameInstall(const std::filesystem::path& root) {
    GameInstall g{root};
    writeFile(root / "CoDMP.exe", "placeholder");
    writeFile(g.main() / "pak0.pk3", "pak");
    writeFile(g.main() / "config_mp.cfg", crlf({"unbindall", "bind w \"+forward\"", "seta name \"Player\""}));
    writeFile(g.demos() / "bench1.dm_2", std::string(4096, 'd'));
    return g;
}

bool waitFor(const std::function<bool()>& done, std::chrono::milliseconds limit,
             std::chrono::milliseconds poll) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(poll);
    }
    return true;
}

} // namespace testing_support
