#include "platform/win32/win32_calls.h"

namespace platform::win32 {

CreateProcessFn createProcess = &::CreateProcessA;
ShellExecuteFn shellExecute = &::ShellExecuteA;

std::string errorText(DWORD code) {
    char* text = nullptr;
    DWORD n = ::FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                   FORMAT_MESSAGE_IGNORE_INSERTS,
                               nullptr, code, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
    std::string out = n && text ? std::string(text, n) : "Windows error " + std::to_string(code);
    if (text) ::LocalFree(text);
    while (!out.empty() && (out.back() == '\r' || out.back() == '\n' || out.back() == ' '))
        out.pop_back();
    return out;
}

} // namespace platform::win32
