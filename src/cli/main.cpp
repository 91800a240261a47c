#include "cli/cli.h"

#include "platform/files.h"
#include "platform/processes.h"
#include "platform/single_instance.h"
#include "platform/tool_folders.h"

#include <chrono>
#include <iostream>
#include <thread>

int main(int argc, char** argv) {
    auto registry = platform::systemRegistry();
    auto clock = platform::systemClock();
    const platform::ToolFolders folders = platform::toolFolders();
    cli::Services services{
        folders.settings,
        *registry,
        *clock,
        platform::startWatchedGame,
        [&folders] { return platform::acquireSingleInstance("framewise", folders.program); },
        std::cout,
        std::cerr,
        platform::errorStreamIsTerminal(),
        [] { std::this_thread::sleep_for(std::chrono::milliseconds(250)); },
        platform::catchInterrupts,
        platform::interruptRequested,
        folders.data,
    };
    std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    return cli::run(args, services);
}
