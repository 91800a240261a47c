#pragma once
// Helpers of the Windows tests: reg.exe runs, a file the recorder writes, and
// the recordable CreateProcessA/ShellExecuteA calls swapped for the test's time.
#include "core/textfile.h"
#include "platform/files.h"
#include "platform/win32/win32_calls.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace win32test {

inline std::filesystem::path besideTest(const std::string& name) {
    return std::filesystem::path(platform::programFolder()) / name;
}

// Runs a command line to its end; true when it exits with 0.
inline bool runAndWait(const std::string& commandLine) {
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                          nullptr, &si, &pi))
        return false;
    ::WaitForSingleObject(pi.hProcess, 60000);
    DWORD code = 1;
    ::GetExitCodeProcess(pi.hProcess, &code);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    return code == 0;
}

// reg.exe add into the 32-bit view (or the view given).
inline bool regAdd(const std::string& key, const std::string& name, const std::string& type,
                   const std::string& data, const std::string& view = "/reg:32") {
    return runAndWait("reg.exe add \"" + key + "\" /v " + name + " /t " + type + " /d \"" + data +
                      "\" /f " + view);
}

inline void regDelete(const std::string& key) {
    runAndWait("reg.exe delete \"" + key + "\" /f /reg:32");
    runAndWait("reg.exe delete \"" + key + "\" /f /reg:64");
}

// Points FRAMEWISE_RECORD at file; wait() gives the lines the recorder wrote.
class Recording {
  public:
    explicit Recording(std::filesystem::path file) : file_(std::move(file)) {
        ::SetEnvironmentVariableA("FRAMEWISE_RECORD", file_.string().c_str());
    }
    ~Recording() { ::SetEnvironmentVariableA("FRAMEWISE_RECORD", nullptr); }

    std::vector<std::string> wait() {
        std::vector<std::string> lines;
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (std::chrono::steady_clock::now() < deadline) {
            auto text = core::readAll(file_).value_or("");
            if (!text.empty() && text.back() == '\n' &&
                std::count(text.begin(), text.end(), '\n') == 2) {
                for (std::size_t start = 0, end;
                     (end = text.find('\n', start)) != std::string::npos; start = end + 1)
                    lines.push_back(text.substr(start, end - start));
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        std::error_code ec;
        std::filesystem::remove(file_, ec);
        return lines;
    }

  private:
    std::filesystem::path file_;
};

// Every CreateProcessA of the launcher starts `program` instead, with the
// command line and folder the launcher built.
class ProgramSwap {
  public:
    explicit ProgramSwap(std::string program) {
        program_() = std::move(program);
        asked_() = std::nullopt;
        platform::win32::createProcess = &swapped;
    }
    ~ProgramSwap() { platform::win32::createProcess = &::CreateProcessA; }
    std::optional<std::string> applicationAsked() const { return asked_(); }

  private:
    static std::string& program_() {
        static std::string p;
        return p;
    }
    static std::optional<std::string>& asked_() {
        static std::optional<std::string> a;
        return a;
    }
    static BOOL WINAPI swapped(LPCSTR app, LPSTR line, LPSECURITY_ATTRIBUTES pa,
                               LPSECURITY_ATTRIBUTES ta, BOOL inherit, DWORD flags, LPVOID env,
                               LPCSTR dir, LPSTARTUPINFOA si, LPPROCESS_INFORMATION pi) {
        if (app) asked_() = app;
        return ::CreateProcessA(program_().c_str(), line, pa, ta, inherit, flags, env, dir, si, pi);
    }
};

// Records ShellExecuteA calls instead of opening anything.
class ShellRecording {
  public:
    struct Call {
        HWND owner;
        std::string verb, file;
        bool hasParameters, hasDirectory;
        INT show;
    };
    std::vector<Call>& calls = calls_();

    ShellRecording() {
        calls_().clear();
        platform::win32::shellExecute = &recorded;
    }
    ~ShellRecording() { platform::win32::shellExecute = &::ShellExecuteA; }

  private:
    static std::vector<Call>& calls_() {
        static std::vector<Call> c;
        return c;
    }
    static HINSTANCE WINAPI recorded(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR params,
                                     LPCSTR dir, INT show) {
        calls_().push_back(
            {owner, verb ? verb : "", file ? file : "", params != nullptr, dir != nullptr, show});
        return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(42)); // above 32: success
    }
};

} // namespace win32test
