// The start-up lookup and the relocation with a remembered path file from the
// input. Input parts (parted by fuzz::kPartBreak): the path file's bytes, the
// registry's install path, then the user's answers in order (file dialog choices
// and Yes/No). "@GAME@" in any part stands for a real game install of the
// scratch folder, so that the lookup can also succeed.
#include "fuzz_support.h"
#include "core/textfile.h"
#include "locate/locate.h"
#include "platform/files.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace {

fuzz::Scratch& scratch() {
    static fuzz::Scratch s("locate");
    return s;
}

class FuzzedRegistry : public platform::Registry {
  public:
    explicit FuzzedRegistry(std::string text) : text_(std::move(text)) {}
    platform::RegistryValue readLocalMachine(const std::string&, const std::string&) override {
        platform::RegistryValue v;
        if (text_.empty()) return v;
        v.kind = platform::RegistryValue::Kind::Text;
        v.text = text_ + '\0';
        return v;
    }

  private:
    std::string text_;
};

std::string withGame(std::string text, const std::string& game) {
    const std::string token = "@GAME@";
    for (auto at = text.find(token); at != std::string::npos; at = text.find(token, at + game.size()))
        text.replace(at, token.size(), game);
    return text;
}

// The path file names a game folder whose layout holds together.
void checkOutcome(const locate::Outcome& out, const std::string& app) {
    if (!out.proceed) return;
    const auto& f = out.folders;
    fuzz::check(f.appFolder == app, "the application folder stays");
    fuzz::check(!f.gameFolder.empty() && f.gameFolder.back() == '/' && f.gameDrive == f.gameFolder[0],
                "the game folder ends with a separator", fuzz::shown(f.gameFolder));
    fuzz::check(f.mainFolder.rfind(f.gameFolder, 0) == 0 && f.mainFolder.back() == '/' &&
                    f.demosFolder.rfind(f.mainFolder, 0) == 0 && f.demosFolder.back() == '/',
                "the main and demos folders lie inside the game folder");
    fuzz::check(platform::exactNamePresent(f.mainFolder, "pak0.pk3"), "a ready game has its data");
    for (const auto& d : out.demos)
        fuzz::check(platform::matchesPattern(d, "*.dm_2"), "only demos are listed", fuzz::shown(d));
    const auto name = locate::findPathFile(app);
    fuzz::check(name.has_value(), "a ready game folder is remembered");
    const auto line = core::readFirstLine(core::fsPath(app + *name));
    fuzz::check(line && !line->empty() && f.gameFolder.rfind(*line, 0) == 0,
                "the remembered path is the game folder", line ? fuzz::shown(*line) : "none");
}

// Only the path file is ever written beside the program.
void checkAppFolder(const std::string& app) {
    for (const auto& e : fs::directory_iterator(app)) {
        const std::string name = e.path().filename().string();
        fuzz::check(e.is_regular_file() && locate::findPathFile(app) == name,
                    "nothing but the path file is written beside the program", fuzz::shown(name));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto parts = fuzz::splitParts(data, size);
    const std::string root = scratch().fresh();
    const std::string app = root + "app/";
    const std::string game = root + "game";
    fs::create_directories(app);
    fs::create_directories(game + "/Main/Demos");
    fuzz::writeFile(game + "/CoDMP.exe", "");
    fuzz::writeFile(game + "/Main/pak0.pk3", "");
    fuzz::writeFile(game + "/Main/Demos/bench1.dm_2", "");
    fuzz::writeFile(game + "/Main/Demos/notes.txt", "");
    for (auto& p : parts)
        p = withGame(p, game);

    // The file's own letter case varies with the input's length.
    const char* spellings[] = {"CoD_path.ini", "cod_path.ini", "COD_PATH.INI"};
    if (!parts[0].empty() || parts.size() == 1)
        fuzz::writeFile(app + spellings[size % 3], parts[0]);
    const std::vector<std::string> answers(parts.begin() + std::min<std::size_t>(parts.size(), 2),
                                           parts.end());

    fuzz::AnsweringDialogs dialogs(answers);
    FuzzedRegistry registry(parts.size() > 1 ? parts[1] : std::string());
    const auto started = locate::startUp(app, dialogs, registry);
    checkOutcome(started, app);
    checkAppFolder(app);

    fuzz::AnsweringDialogs again(answers);
    const auto moved = locate::relocate(app, again);
    checkOutcome(moved, app);
    checkAppFolder(app);
    return 0;
}
