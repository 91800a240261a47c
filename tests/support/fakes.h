#pragma once
// Test doubles for the dialogs and platform services, and a temporary folder
// that is removed at the end of the test. Real files everywhere.
#include "core/dialogs.h"
#include "platform/clock.h"
#include "platform/keys.h"
#include "platform/launcher.h"
#include "platform/registry.h"
#include "platform/shell.h"

#include <chrono>
#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace testing_support {

// Dialogs scripted with what a test expects, in order. Any other dialog fails
// the test; expectations left over at the end fail it too.
class ScriptedDialogs : public core::Dialogs {
public:
    enum class Kind { Message, Input, File, Save, Folder };
    struct Shown {
        Kind kind{};
        core::Message message;  // Kind::Message
        std::string prompt, title, defaultText; // Kind::Input
        core::FileDialog which{}; // Kind::File
        std::string filter;
    };

    ~ScriptedDialogs() override;

    // A message box whose text equals text exactly; answered with answer.
    ScriptedDialogs& expectMessage(const std::string& text, core::Answer answer = core::Answer::Ok);
    // An input box answered with text (an empty text is what a cancel gives).
    ScriptedDialogs& expectInput(const std::string& answer);
    // A file dialog in which the user picks path.
    ScriptedDialogs& expectFileChoice(const std::string& path);
    // A file dialog the user cancels: it returns its previous choice.
    ScriptedDialogs& expectFileCancel();
    // A save dialog in which the user picks path (an empty path is a cancel).
    ScriptedDialogs& expectSaveChoice(const std::string& path);
    // A folder chooser in which the user picks path (an empty path is a cancel).
    ScriptedDialogs& expectFolderChoice(const std::string& path);

    core::Answer message(const core::Message& m) override;
    std::string inputBox(const std::string& prompt, const std::string& title,
                         const std::string& defaultText) override;
    std::string openFile(core::FileDialog which, const std::string& filter) override;
    std::string saveFile(const std::string& title, const std::string& filter,
                         const std::string& suggestedName) override;
    std::string chooseFolder(const std::string& title, const std::string& start) override;

    std::vector<Shown> shown;
    // Called as each message box comes up, to see what is on show behind it.
    std::function<void(const core::Message&)> onMessage;
    bool allUsed() const { return script_.empty(); }

private:
    struct Step {
        Kind kind;
        std::string text;
        core::Answer answer = core::Answer::Ok;
        bool cancel = false;
    };
    std::deque<Step> script_;
    std::map<core::FileDialog, std::string> lastChoice_;
};

class RecordingLauncher : public platform::Launcher {
public:
    struct Call {
        std::string kind; // "game", "text", "program"
        std::string workingFolder;
        std::string commandLine; // or the path for "text" and "program"
        std::vector<std::string> arguments; // of a "program"
    };
    platform::LaunchResult result{true, {}};
    std::vector<Call> calls;

    platform::LaunchResult startGame(const std::string& wf, const std::string& cl) override {
        calls.push_back({"game", wf, cl, {}});
        return result;
    }
    platform::LaunchResult openTextFile(const std::string& path) override {
        calls.push_back({"text", {}, path, {}});
        return result;
    }
    using platform::Launcher::startProgram;
    platform::LaunchResult startProgram(const std::string& path,
                                        const std::vector<std::string>& arguments) override {
        calls.push_back({"program", {}, path, arguments});
        return result;
    }
};

// Records every keystroke text with its wait flag; answers with succeed.
class RecordingKeySender : public platform::KeySender {
public:
    struct Sent {
        std::string text;
        bool wait = false;
        bool operator==(const Sent&) const = default;
    };
    bool succeed = true;
    std::vector<Sent> sent;
    // A text holding this character is refused as a whole, naming it.
    std::string untypable;
    // The focus leaves the started program once this many texts are typed (never when negative).
    int focusLeavesAfter = -1;
    platform::SendResult send(const std::string& text, bool wait, std::uintptr_t onlyInto) override {
        using Outcome = platform::SendResult::Outcome;
        if (onlyInto && focusLeavesAfter >= 0 && sent.size() >= static_cast<std::size_t>(focusLeavesAfter))
            return {Outcome::FocusMoved, {}};
        if (!untypable.empty() && text.find(untypable) != std::string::npos)
            return {Outcome::Untypable, "\"" + untypable + "\""};
        sent.push_back({text, wait});
        return {succeed ? Outcome::Sent : Outcome::Failed, {}};
    }
    // The started program takes the focus at once unless a test says otherwise.
    bool focusMoves = true;
    int focusWaits = 0;
    std::int64_t focusProcess = 0;
    std::uintptr_t focusedWindow() override { return focusMoves ? 7 : 1; }
    std::uintptr_t waitForFocusOf(std::int64_t processId, int) override {
        ++focusWaits;
        focusProcess = processId;
        return focusMoves ? 7 : 0;
    }
};

class RecordingShell : public platform::Shell {
public:
    std::vector<std::string> opened;
    void openAddress(const std::string& url) override { opened.push_back(url); }
};

class FixedClock : public platform::Clock {
public:
    platform::LocalTime time;
    FixedClock(); // Friday, December 04, 2026 19:30:05, "PM"
    platform::LocalTime now() override { return time; }
};

class FakeRegistry : public platform::Registry {
public:
    std::map<std::string, platform::RegistryValue> values; // key "path|name"
    int reads = 0;
    platform::RegistryValue readLocalMachine(const std::string& key, const std::string& name) override;
    void setText(const std::string& key, const std::string& name, const std::string& text);
};

// A folder under the system's temporary folder, removed with the object.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    // The folder as a folder value: the path and a trailing separator.
    std::string folder() const;

private:
    std::filesystem::path path_;
};

// Writes bytes to a file, creating its folders.
void writeFile(const std::filesystem::path& file, const std::string& bytes);
std::string readFile(const std::filesystem::path& file);
// Sorted names of the entries of a folder.
std::vector<std::string> namesIn(const std::filesystem::path& folder);
// The bytes of a CR LF file holding these lines.
std::string crlf(const std::vector<std::string>& lines);

// A game install: CoDMP.exe, MAIN/pak0.pk3, MAIN/config_mp.cfg, MAIN/demos/bench1.dm_2.
struct GameInstall {
    std::filesystem::path root; // the game folder
    std::filesystem::path main() const { return root / "MAIN"; }
    std::filesystem::path demos() const { return root / "MAIN" / "demos"; }
};
GameInstall makeGameInstall(const std::filesystem::path& root);

// Asks done every poll until it says yes, for at most limit; false when it never did.
bool waitFor(const std::function<bool()>& done, std::chrono::milliseconds limit,
             std::chrono::milliseconds poll = std::chrono::milliseconds(10));

} // namespace testing_support
