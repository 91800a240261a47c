// Helper for the single-copy tests: takes the guard named by its first argument
// for the install named by the second (in the lock folder named by the third, if
// any) and reports in its working folder whether it got it ("held"), found it
// held ("refused") or could not take it ("failed"). While held it waits for a
// file "release", then lets go and writes "released". With the name
// "game-folder" it takes the guard of the game folder named by the second.
#include "core/textfile.h"
#include "platform/single_instance.h"

#include <chrono>
#include <filesystem>
#include <thread>

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    auto guard = std::string(argv[1]) == "game-folder" ? platform::acquireGameFolderGuard(argv[2])
                 : argc > 3 ? platform::acquireSingleInstanceIn(argv[3], argv[1], argv[2])
                            : platform::acquireSingleInstance(argv[1], argv[2]);
    using State = platform::SingleCopy::State;
    core::writeLines("holder.txt", {guard.state == State::Held        ? "held"
                                    : guard.state == State::Elsewhere ? "refused"
                                                                      : "failed"});
    if (guard.state != State::Held) return 0;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!std::filesystem::exists("release") && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    guard.guard.reset();
    core::writeLines("released.txt", {"released"});
    return 0;
}
