// Helper for the single-copy tests: takes the guard named by its argument and
// reports in its working folder whether it got it ("held") or not ("refused").
// While held it waits for a file "release", then lets go and writes "released".
#include "core/textfile.h"
#include "platform/single_instance.h"

#include <chrono>
#include <filesystem>
#include <thread>

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    auto guard = platform::acquireSingleInstance(argv[1]);
    core::writeLines("holder.txt", {guard ? "held" : "refused"});
    if (!guard) return 0;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!std::filesystem::exists("release") && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    guard.reset();
    core::writeLines("released.txt", {"released"});
    return 0;
}
