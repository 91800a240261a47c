#pragma once
// Calls of the Windows API that the launcher and the shell make through a
// pointer, so that a test can watch the exact arguments (no test may open a
// real browser or Notepad). Only this folder and the Windows tests include it.
#include <windows.h>

#include <shellapi.h>
#include <string>

#include "platform/registry.h"

namespace platform::win32 {

using CreateProcessFn = BOOL(WINAPI*)(LPCSTR, LPSTR, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES,
                                      BOOL, DWORD, LPVOID, LPCSTR, LPSTARTUPINFOA,
                                      LPPROCESS_INFORMATION);
using ShellExecuteFn = HINSTANCE(WINAPI*)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);

// ::CreateProcessA and ::ShellExecuteA unless a test has put something else here.
extern CreateProcessFn createProcess;
extern ShellExecuteFn shellExecute;

// The text of a Windows error code, for messages to the user.
std::string errorText(DWORD code);

} // namespace platform::win32

// The registry value reader in its two layers.
namespace platform::mdlRegistry {

// The value under name in an open key. Returns 0, the registry's own error code,
// or -1 for a kind other than text (REG_SZ) and 32-bit number (REG_DWORD); value
// is filled only on success. Never throws.
LONG queryValue(HKEY key, const std::string& name, RegistryValue& value) noexcept;

// Opens keyPath under root read-only in the 32-bit view, queries, closes.
// Nothing when any step fails.
RegistryValue readValue(HKEY root, const std::string& keyPath, const std::string& name) noexcept;

} // namespace platform::mdlRegistry
