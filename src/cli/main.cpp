#include "cli/cli.h"

#include "platform/files.h"
#include "platform/processes.h"
#include "platform/single_instance.h"

#include <chrono>
#include <iostream>
#include <thread>

int main(int argc, char** argv) {
    auto registry = platform::systemRegistry();
    auto clock = platform::systemClock();
    cli::Services services{
        platform::programFolder(),
        *registry,
        *clock,
        platform::startWatchedGame,
        [] { return platform::acquireSingleInstance("framewise", platform::programFolder()); },
        std::cout,
        std::cerr,
        platform::errorStreamIsTerminal(),
        [] { std::this_thread::sleep_for(std::chrono::milliseconds(250)); },
        platform::catchInterrupts,
        platform::interruptRequested,
    };
    std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    return cli::run(args, services);
}
