#include "platform/system_facts.h"

#include <windows.h>

#include <string>

namespace platform {

namespace {

using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);

// GetVersionEx answers what the program's manifest allows; ntdll tells the truth.
void osVersion(SystemFacts& f) {
    f.osName = "Windows";
    HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
    if (!ntdll) return;
    auto get = reinterpret_cast<RtlGetVersionFn>(
        reinterpret_cast<void*>(::GetProcAddress(ntdll, "RtlGetVersion")));
    OSVERSIONINFOW v{};
    v.dwOSVersionInfoSize = sizeof v;
    if (!get || get(&v) != 0) return;
    f.osVersion = std::to_string(v.dwMajorVersion) + "." + std::to_string(v.dwMinorVersion) + "." +
                  std::to_string(v.dwBuildNumber);
}

std::string processorName() {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0", 0,
                        KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return {};
    char buffer[256] = {};
    DWORD size = sizeof buffer - 1, type = 0;
    std::string name;
    if (::RegQueryValueExA(key, "ProcessorNameString", nullptr, &type,
                           reinterpret_cast<BYTE*>(buffer), &size) == ERROR_SUCCESS &&
        type == REG_SZ)
        name.assign(buffer);
    ::RegCloseKey(key);
    const auto first = name.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return name.substr(first, name.find_last_not_of(' ') - first + 1);
}

} // namespace

SystemFacts systemFacts() {
    SystemFacts f;
    osVersion(f);
    f.cpu = processorName();
    SYSTEM_INFO info{};
    ::GetNativeSystemInfo(&info);
    f.logicalCores = info.dwNumberOfProcessors;
    MEMORYSTATUSEX memory{};
    memory.dwLength = sizeof memory;
    if (::GlobalMemoryStatusEx(&memory)) f.memoryBytes = memory.ullTotalPhys;
    f.displayWidth = ::GetSystemMetrics(SM_CXSCREEN);
    f.displayHeight = ::GetSystemMetrics(SM_CYSCREEN);
    return f;
}

} // namespace platform
