#include "platform/single_instance.h"
#include "platform/win32/win32_calls.h"

#include <windows.h>

namespace platform {

namespace {
class NamedMutex : public SingleInstance {
  public:
    explicit NamedMutex(HANDLE h) : handle_(h) {}
    ~NamedMutex() override { ::CloseHandle(handle_); }

  private:
    HANDLE handle_;
};

std::string userName() {
    char name[257] = {};
    DWORD size = sizeof name;
    return ::GetUserNameA(name, &size) ? std::string(name) : std::string("user");
}
} // namespace

std::string singleCopyFolder() { return {}; }

namespace {

// Held when this process made the named mutex; another holder means elsewhere.
SingleCopy holdMutex(const std::string& full) {
    SingleCopy out;
    HANDLE h = ::CreateMutexA(nullptr, FALSE, full.c_str());
    if (!h) {
        out.why = full + ": " + win32::errorText(::GetLastError());
        return out;
    }
    if (::GetLastError() == ERROR_ALREADY_EXISTS) {
        ::CloseHandle(h);
        return {SingleCopy::State::Elsewhere, nullptr, {}};
    }
    return {SingleCopy::State::Held, std::make_unique<NamedMutex>(h), {}};
}

} // namespace

SingleCopy acquireSingleInstanceIn(const std::string& lockFolder, const std::string& name,
                                   const std::string& installFolder) {
    // The session's own namespace, named after the user and the install; a
    // backslash would name another namespace, so none is kept.
    std::string plain = name + "-" + userName() + "-" + installTag(installFolder);
    if (!lockFolder.empty()) plain += "-" + installTag(lockFolder);
    for (auto& c : plain)
        if (c == '\\') c = '_';
    const std::string full = "Local\\" + plain;
    return holdMutex(full);
}

SingleCopy acquireGameFolderGuard(const std::string& gameFolder) {
    // A folder cannot be locked, so the guard is a mutex named after the folder's
    // final path (links and junctions resolved), in one letter case as the file
    // system compares it.
    SingleCopy out;
    HANDLE folder = ::CreateFileA(gameFolder.c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (folder == INVALID_HANDLE_VALUE) {
        out.why = gameFolder + ": " + win32::errorText(::GetLastError());
        return out;
    }
    char path[MAX_PATH * 4] = {};
    const DWORD length =
        ::GetFinalPathNameByHandleA(folder, path, sizeof path, FILE_NAME_NORMALIZED);
    const DWORD error = ::GetLastError();
    ::CloseHandle(folder);
    if (length == 0 || length >= sizeof path) {
        out.why = gameFolder + ": " + win32::errorText(error);
        return out;
    }
    std::string final(path, length);
    for (auto& c : final)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    const std::string full = "Local\\framewise-game-" + installTag(final);
    return holdMutex(full);
}

SingleCopy acquireSingleInstance(const std::string& name, const std::string& installFolder) {
    return acquireSingleInstanceIn({}, name, installFolder);
}

} // namespace platform
