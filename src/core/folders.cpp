#include "core/folders.h"

namespace core {

bool isPlainName(const std::string& name) {
    if (name.empty() || name == "." || name == "..") return false;
    for (char c : name)
        if (c == '/' || c == '\\' || c == ':' || c == '\0') return false;
    return name.find("..") == std::string::npos;
}

} // namespace core
