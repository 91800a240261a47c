// Writes the raw command line it was given and its working folder, one per
// line, to the file named by FRAMEWISE_RECORD.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main() {
    const char* target = std::getenv("FRAMEWISE_RECORD");
    if (!target || !*target) return 2;
    char cwd[MAX_PATH * 2] = {};
    ::GetCurrentDirectoryA(sizeof cwd, cwd);
    std::FILE* out = std::fopen(target, "wb");
    if (!out) return 1;
    std::fprintf(out, "%s\n%s\n", ::GetCommandLineA(), cwd);
    std::fclose(out);
    return 0;
}
