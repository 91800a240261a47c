// The keystroke notation, read the same way on every system.
#include "platform/keys.h"

#include <gtest/gtest.h>

namespace {

using platform::Key;
using K = Key::Kind;

Key ch(char c) {
    return {K::Character, c};
}
const Key down{K::Down, 0}, right{K::Right, 0}, home{K::Home, 0}, del{K::Delete, 0},
          bs{K::Backspace, 0};

TEST(ParseKeys, ReadsNamedKeysGroupsAndPlainCharacters) {
    const struct {
        std::string text;
        std::vector<Key> keys;
    } cases[] = {
        {"", {}},
        {"{DOWN}{RIGHT}{HOME}{DEL}{BS}", {down, right, home, del, bs}},
        // The resolution label: parentheses group and are not typed, the blank is.
        {"(640x480) ", {ch('6'), ch('4'), ch('0'), ch('x'), ch('4'), ch('8'), ch('0'), ch(' ')}},
        {"a{DOWN}b", {ch('a'), down, ch('b')}},
        {"  ", {ch(' '), ch(' ')}},
        // Key names are exact: other braces and other spellings are typed as they stand.
        {"{down}", {ch('{'), ch('d'), ch('o'), ch('w'), ch('n'), ch('}')}},
        {"{UP}", {ch('{'), ch('U'), ch('P'), ch('}')}},
        {"{DOWN", {ch('{'), ch('D'), ch('O'), ch('W'), ch('N')}},
        {"{{HOME}", {ch('{'), home}},
        // A name inside a group is still a key; 8-bit characters pass unchanged.
        {"({RIGHT})\xE9", {right, ch('\xE9')}},
        // A grouping character in braces is typed.
        {"{(}2{)}{{}{}}", {ch('('), ch('2'), ch(')'), ch('{'), ch('}')}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(platform::parseKeys(c.text), c.keys) << "text: " << c.text;
    }
}

TEST(LiteralKeys, EveryCharacterOfANameIsTypedAsItStands) {
    for (const std::string name : {"dusk(2)", "a{DOWN}b", "{(})}{{}", "((x))", "plain  name", "}{",
                                   "caf\xC3\xA9 {HOME}"}) {
        std::string typed;
        for (const auto& key : platform::parseKeys(platform::literalKeys(name))) {
            ASSERT_EQ(key.kind, K::Character) << name;
            typed += key.character;
        }
        EXPECT_EQ(typed, name);
    }
}

} // namespace
