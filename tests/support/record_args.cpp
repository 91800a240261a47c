// A stand-in program for launch tests: writes the working folder and its
// arguments, one per line, into the file named by FRAMEWISE_RECORD (or
// "record.txt" in the working folder), then exits.
#include <cstdlib>
#include <filesystem>
#include <fstream>

int main(int argc, char** argv) {
    const char* target = std::getenv("FRAMEWISE_RECORD");
    std::ofstream out(target && *target ? target : "record.txt", std::ios::binary);
    out << "cwd=" << std::filesystem::current_path().string() << "\n";
    for (int i = 1; i < argc; ++i) out << "arg=" << argv[i] << "\n";
    return 0;
}
