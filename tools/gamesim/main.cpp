// The stand-in game, installed as CoDMP.exe: see gamesim --help.
#include "options.h"

#include <chrono>
#include <filesystem>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    // The game's menu: nothing happens until the player (or a test) ends it.
    auto stayInMenu = [] {
        for (;;)
            std::this_thread::sleep_for(std::chrono::hours(1));
    };
    return gamesim::runProgram(args, std::filesystem::current_path().string(), std::cout, std::cerr,
                               stayInMenu);
}
