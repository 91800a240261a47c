// The keystroke notation against a plain reading of it, and the folder-name
// wildcard match against a plain recursive one. Input: the text to read; for the
// wildcard, a name and a pattern parted by fuzz::kPartBreak.
#include "fuzz_support.h"
#include "platform/files.h"
#include "platform/keys.h"

#include <cctype>

namespace {

using platform::Key;

std::vector<Key> plainKeys(const std::string& t) {
    std::vector<Key> keys;
    std::size_t i = 0;
    auto at = [&](const char* word) { return t.compare(i, std::string(word).size(), word) == 0; };
    while (i < t.size()) {
        if (at("{DOWN}")) {
            keys.push_back({Key::Kind::Down, 0});
            i += 6;
        } else if (at("{RIGHT}")) {
            keys.push_back({Key::Kind::Right, 0});
            i += 7;
        } else if (at("{HOME}")) {
            keys.push_back({Key::Kind::Home, 0});
            i += 6;
        } else {
            if (t[i] != '(' && t[i] != ')') keys.push_back({Key::Kind::Character, t[i]});
            ++i;
        }
    }
    return keys;
}

// matches[i][j]: the name from i on matches the pattern from j on.
bool plainMatch(const std::string& n, const std::string& p) {
    const auto low = [](char c) { return std::tolower(static_cast<unsigned char>(c)); };
    std::vector<std::vector<char>> matches(n.size() + 1, std::vector<char>(p.size() + 1, 0));
    matches[n.size()][p.size()] = 1;
    for (std::size_t i = n.size() + 1; i-- > 0;)
        for (std::size_t j = p.size(); j-- > 0;) {
            if (p[j] == '*')
                matches[i][j] = matches[i][j + 1] || (i < n.size() && matches[i + 1][j]);
            else
                matches[i][j] = i < n.size() && (p[j] == '?' || low(p[j]) == low(n[i])) &&
                                matches[i + 1][j + 1];
        }
    return matches[0][0];
}

// The notation written out again, each key by its name; typed characters never
// include parentheses, so reading it back gives the same keys.
std::string written(const std::vector<Key>& keys) {
    std::string t;
    for (const auto& k : keys) {
        switch (k.kind) {
        case Key::Kind::Down: t += "{DOWN}"; break;
        case Key::Kind::Right: t += "{RIGHT}"; break;
        case Key::Kind::Home: t += "{HOME}"; break;
        case Key::Kind::Character: t += k.character; break;
        }
    }
    return t;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto keys = platform::parseKeys(text);
    fuzz::check(keys == plainKeys(text), "keys are read as the notation says", fuzz::shown(text));
    for (const auto& k : keys)
        fuzz::check(k.kind != Key::Kind::Character || (k.character != '(' && k.character != ')'),
                    "parentheses are never typed");

    // Characters that happen to spell a key name do not survive a second reading
    // as characters; every other text does.
    const std::string again = written(keys);
    if (again.find('{') == std::string::npos)
        fuzz::check(platform::parseKeys(again) == keys, "written keys read back the same");

    const auto parts = fuzz::splitParts(data, size);
    if (parts.size() == 2 && parts[0].size() <= 256 && parts[1].size() <= 256) {
        fuzz::check(platform::matchesPattern(parts[0], parts[1]) == plainMatch(parts[0], parts[1]),
                    "wildcards match as * and ? say", fuzz::shown(parts[0]) + " ~ " +
                                                          fuzz::shown(parts[1]));
    }
    return 0;
}
