// The stand-in game, installed as CoDMP.exe: see gamesim --help.
#include "options.h"

#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return gamesim::runProgram(args, std::filesystem::current_path().string(), std::cout,
                               std::cerr);
}
