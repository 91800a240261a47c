// The keystroke notation against a plain reading of it, literal texts typed as
// they stand, and the folder-name wildcard match against a plain one. Input: the
// text to read; for the wildcard, a name and a pattern parted by fuzz::kPartBreak.
#include "fuzz_support.h"
#include "platform/files.h"
#include "platform/keys.h"

#include <cctype>

namespace {

using platform::Key;

std::vector<Key> plainKeys(const std::string& t) {
    // Key names and the braced characters, tried in this order at each place.
    const std::pair<const char*, Key> named[] = {
        {"{DOWN}", {Key::Kind::Down, 0}},  {"{RIGHT}", {Key::Kind::Right, 0}},
        {"{HOME}", {Key::Kind::Home, 0}},  {"{DEL}", {Key::Kind::Delete, 0}},
        {"{BS}", {Key::Kind::Backspace, 0}},
        {"{(}", {Key::Kind::Character, '('}}, {"{)}", {Key::Kind::Character, ')'}},
        {"{{}", {Key::Kind::Character, '{'}}, {"{}}", {Key::Kind::Character, '}'}}};
    std::vector<Key> keys;
    std::size_t i = 0;
    while (i < t.size()) {
        bool found = false;
        for (const auto& [word, key] : named) {
            const std::string w = word;
            if (t.substr(i, w.size()) == w) {
                keys.push_back(key);
                i += w.size();
                found = true;
                break;
            }
        }
        if (found) continue;
        if (t[i] != '(' && t[i] != ')') keys.push_back({Key::Kind::Character, t[i]});
        ++i;
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

// The notation written out again, each key by its name and every character
// so that it is typed as it stands.
std::string written(const std::vector<Key>& keys) {
    std::string t;
    for (const auto& k : keys) {
        switch (k.kind) {
        case Key::Kind::Down: t += "{DOWN}"; break;
        case Key::Kind::Right: t += "{RIGHT}"; break;
        case Key::Kind::Home: t += "{HOME}"; break;
        case Key::Kind::Delete: t += "{DEL}"; break;
        case Key::Kind::Backspace: t += "{BS}"; break;
        case Key::Kind::Character: t += platform::literalKeys(std::string(1, k.character)); break;
        }
    }
    return t;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto keys = platform::parseKeys(text);
    fuzz::check(keys == plainKeys(text), "keys are read as the notation says", fuzz::shown(text));
    fuzz::check(platform::parseKeys(written(keys)) == keys, "written keys read back the same");

    // Any text made literal is typed byte for byte.
    const auto literal = platform::parseKeys(platform::literalKeys(text));
    bool same = literal.size() == text.size();
    for (std::size_t i = 0; same && i < text.size(); ++i)
        same = literal[i] == Key{Key::Kind::Character, text[i]};
    fuzz::check(same, "a literal text types every byte as it stands", fuzz::shown(text));

    const auto parts = fuzz::splitParts(data, size);
    if (parts.size() == 2 && parts[0].size() <= 256 && parts[1].size() <= 256) {
        fuzz::check(platform::matchesPattern(parts[0], parts[1]) == plainMatch(parts[0], parts[1]),
                    "wildcards match as * and ? say", fuzz::shown(parts[0]) + " ~ " +
                                                          fuzz::shown(parts[1]));
    }
    return 0;
}
