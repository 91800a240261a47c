#include "platform/ordinary_file.h"

#include <windows.h>

namespace platform {

namespace {

// The same wide path the standard streams open, so names keep their meaning.
std::wstring wide(const std::filesystem::path& path) { return path.wstring(); }

std::string errorText(DWORD code) {
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return "it does not exist";
    case ERROR_ACCESS_DENIED:
        return "permission denied";
    case ERROR_SHARING_VIOLATION:
        return "another program has it open";
    default:
        break;
    }
    char* text = nullptr;
    DWORD n = ::FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                   FORMAT_MESSAGE_IGNORE_INSERTS,
                               nullptr, code, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
    std::string out = n && text ? std::string(text, n) : "Windows error " + std::to_string(code);
    if (text) ::LocalFree(text);
    while (!out.empty() && (out.back() == '\r' || out.back() == '\n' || out.back() == ' ' ||
                            out.back() == '.'))
        out.pop_back();
    return out;
}

// Names such as "CON" or "\\.\pipe\x" open devices and pipes; only a disk file passes.
std::string kindProblem(HANDLE h) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (::GetFileType(h) != FILE_TYPE_DISK) return "it is a device or pipe, not an ordinary file";
    if (::GetFileInformationByHandle(h, &info) &&
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return "it is a folder";
    return {};
}

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

} // namespace

FileBytes readOrdinaryFile(const std::filesystem::path& path, std::uintmax_t limit) {
    FileBytes out;
    const std::wstring name = wide(path);
    DWORD attributes = ::GetFileAttributesW(name.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        out.why = "it is a folder";
        return out;
    }
    HANDLE h = ::CreateFileW(name.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        out.why = errorText(::GetLastError());
        return out;
    }
    LARGE_INTEGER size{};
    if (out.why = kindProblem(h); out.why.empty()) {
        if (!::GetFileSizeEx(h, &size)) {
            out.why = errorText(::GetLastError());
        } else if (static_cast<std::uintmax_t>(size.QuadPart) > limit) {
            out.why = "it is larger than " + std::to_string(limit) + " bytes";
        } else {
            std::string bytes;
            bytes.reserve(static_cast<std::size_t>(size.QuadPart));
            char block[1 << 16];
            for (;;) {
                DWORD n = 0;
                if (!::ReadFile(h, block, sizeof block, &n, nullptr)) {
                    out.why = errorText(::GetLastError());
                    break;
                }
                if (n == 0) break;
                if (bytes.size() + n > limit) {
                    out.why = "it is larger than " + std::to_string(limit) + " bytes";
                    break;
                }
                bytes.append(block, n);
            }
            if (out.why.empty()) out.bytes = std::move(bytes);
        }
    }
    ::CloseHandle(h);
    return out;
}

FileSink::~FileSink() {
    if (isOpen()) ::CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

std::string FileSink::open(const std::filesystem::path& path, Mode mode) {
    if (isOpen()) close();
    const std::wstring name = wide(path);
    DWORD attributes = ::GetFileAttributesW(name.c_str());
    DWORD disposition = CREATE_ALWAYS;
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) return "it is a folder";
        if (mode == Mode::Fresh) {
            if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return "a link stands under that name";
            if (!::DeleteFileW(name.c_str())) return errorText(::GetLastError());
        }
    }
    // CREATE_NEW fails on any name already there, a link included, and never follows one.
    if (mode == Mode::Fresh) disposition = CREATE_NEW;
    HANDLE h = ::CreateFileW(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, disposition,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        DWORD error = ::GetLastError();
        if (error == ERROR_FILE_EXISTS) return "something else was put under that name";
        if (error == ERROR_PATH_NOT_FOUND) return "its folder does not exist";
        return errorText(error);
    }
    if (auto why = kindProblem(h); !why.empty()) {
        ::CloseHandle(h);
        return why;
    }
    handle_ = reinterpret_cast<std::intptr_t>(h);
    return {};
}

bool FileSink::write(const char* data, std::size_t size) {
    if (!isOpen()) return false;
    HANDLE h = reinterpret_cast<HANDLE>(handle_);
    while (size > 0) {
        DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
        DWORD n = 0;
        if (!::WriteFile(h, data, chunk, &n, nullptr) || n == 0) {
            why_ = errorText(::GetLastError());
            return false;
        }
        data += n;
        size -= n;
    }
    return true;
}

bool FileSink::sync() {
    if (!isOpen()) return false;
    if (::FlushFileBuffers(reinterpret_cast<HANDLE>(handle_))) return true;
    why_ = errorText(::GetLastError());
    return false;
}

bool FileSink::close() {
    if (!isOpen()) return false;
    HANDLE h = reinterpret_cast<HANDLE>(handle_);
    handle_ = kClosed;
    return ::CloseHandle(h) != 0;
}

std::string replaceProblem(const std::filesystem::path& path) {
    const DWORD attributes = ::GetFileAttributesW(wide(path).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return "it is a folder";
    return {};
}

std::string renameReplacing(const std::filesystem::path& from, const std::filesystem::path& to) {
    // Write-through: the move is on the disk when the call returns.
    if (::MoveFileExW(wide(from).c_str(), wide(to).c_str(),
                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return {};
    return errorText(::GetLastError());
}

std::string renameToFreeName(const std::filesystem::path& from, const std::filesystem::path& to,
                             bool& taken) {
    taken = false;
    if (::MoveFileExW(wide(from).c_str(), wide(to).c_str(), MOVEFILE_WRITE_THROUGH)) return {};
    const DWORD error = ::GetLastError();
    if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) {
        taken = true;
        return "something else stands under that name";
    }
    return errorText(error);
}

// The moves above write through; a folder needs nothing more on this system.
void syncFolder(const std::filesystem::path&) {}

} // namespace platform
