#pragma once
// Refusing a second running copy of the program: one guard per user and per
// install (the program's folder), kept where other users can neither create nor
// hold it, and whatever the environment says.
#include <memory>
#include <string>

namespace platform {

class SingleInstance {
public:
    virtual ~SingleInstance() = default;
};

struct SingleCopy {
    enum class State {
        Held,      // this copy holds the guard while guard lives
        Elsewhere, // another copy of this user and install holds it
        Failed,    // the guard could not be taken; why says what was wrong
    } state = State::Failed;
    std::unique_ptr<SingleInstance> guard;
    std::string why;
};

// The guard named name for the install in installFolder.
SingleCopy acquireSingleInstance(const std::string& name, const std::string& installFolder);

// Where the guards of the current user are kept: on Linux a folder of the user's
// home as the user database gives it, never an environment variable; empty on
// Windows, where they are kernel objects of the user's session.
std::string singleCopyFolder();

// The same guard kept in lockFolder instead (a test's own folder).
SingleCopy acquireSingleInstanceIn(const std::string& lockFolder, const std::string& name,
                                   const std::string& installFolder);

// The guard of a game folder, held while a copy of the tool works in it (RUN,
// Generate Results, the export), from whichever install that copy runs: it
// belongs to the folder itself, so every spelling of its path and every link to
// it name the same guard. Any user who may read the folder can take it.
SingleCopy acquireGameFolderGuard(const std::string& gameFolder);

// A short stable tag for an install folder, part of every guard's name.
std::string installTag(const std::string& installFolder);

#ifndef _WIN32
// The file in lockFolder that holds the guard named name for installFolder. It
// stays when its holder exits, so that a copy opening it never races one removing it.
std::string guardFile(const std::string& lockFolder, const std::string& name,
                      const std::string& installFolder);
#endif

} // namespace platform
