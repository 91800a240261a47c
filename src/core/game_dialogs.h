#pragma once
// The dialogs of a flow run for a game other than Call of Duty: the texts the
// flows hold, written for that game, reach the user with this game's names.
#include "core/dialogs.h"
#include "core/game_profile.h"

namespace core {

class GameNamedDialogs : public Dialogs {
  public:
    GameNamedDialogs(Dialogs& inner, const GameProfile& game) : inner_(inner), game_(game) {}

    Answer message(const Message& m) override {
        Message named = m;
        named.text = forGame(game_, m.text);
        named.title = forGame(game_, m.title);
        return inner_.message(named);
    }
    std::string inputBox(const std::string& prompt, const std::string& title,
                         const std::string& defaultText) override {
        return inner_.inputBox(forGame(game_, prompt), forGame(game_, title), defaultText);
    }
    std::string openFile(FileDialog which, const std::string& filter) override {
        return inner_.openFile(which, forGame(game_, filter));
    }
    std::string saveFile(const std::string& title, const std::string& filter,
                         const std::string& suggestedName) override {
        return inner_.saveFile(forGame(game_, title), filter, suggestedName);
    }
    std::string chooseFolder(const std::string& title, const std::string& start) override {
        return inner_.chooseFolder(forGame(game_, title), start);
    }

  private:
    Dialogs& inner_;
    const GameProfile& game_;
};

} // namespace core
