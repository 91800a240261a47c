// The guide delivered beside the program: CR LF text that explains every
// message the tool can show.
#include "archive/browser.h"
#include "archive/sheet_export.h"
#include "bench/run_command.h"
#include "core/textfile.h"
#include "locate/locate.h"
#include "results/messages.h"
#include "results/report_chart.h"

#include <gtest/gtest.h>

namespace {

std::string guide() {
    auto bytes = core::readAll(FRAMEWISE_GUIDE_FILE);
    EXPECT_TRUE(bytes.has_value()) << FRAMEWISE_GUIDE_FILE;
    return bytes.value_or("");
}

// The first line of a message without the blanks, quotes and punctuation around
// it: the words a reader looks up in the guide.
std::string keyWords(const std::string& message) {
    std::string first = message.substr(0, message.find("\r\n"));
    auto edge = [](char c) { return c == ' ' || c == '"' || c == ':' || c == '('; };
    while (!first.empty() && edge(first.back())) first.pop_back();
    std::size_t start = 0;
    while (start < first.size() && edge(first[start])) ++start;
    return first.substr(start);
}

} // namespace

TEST(Guide, IsCrLfTextWithNoStrayLineEnds) {
    const std::string text = guide();
    ASSERT_FALSE(text.empty());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n') {
            ASSERT_TRUE(i > 0 && text[i - 1] == '\r') << "lone LF at byte " << i;
        }
        if (text[i] == '\r') {
            ASSERT_TRUE(i + 1 < text.size() && text[i + 1] == '\n') << "lone CR at byte " << i;
        }
    }
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
}

TEST(Guide, ExplainsEveryMessageTheToolCanShow) {
    // The guide wraps its lines; compare with line ends folded into blanks.
    std::string text;
    for (const auto& line : core::splitLines(guide())) text += line + " ";
    std::vector<std::string> messages;
    for (auto* catalog : {&locate::messageCatalog, &bench::messageCatalog, &results::messageCatalog,
                          &archive::messageCatalog, &archive::sheetMessageCatalog})
        for (const auto& m : catalog()) messages.push_back(m);
    ASSERT_FALSE(messages.empty());
    for (const auto& m : messages) {
        const std::string words = keyWords(m);
        ASSERT_FALSE(words.empty()) << m;
        EXPECT_NE(text.find(words), std::string::npos) << "the guide does not mention: " << words;
    }
}

TEST(Guide, SaysTheRuleOfTheComparisonsVerdictsAsTheChartDoes) {
    // Wrapped and indented there: compare with runs of blanks folded into one.
    auto folded = [](const std::string& s) {
        std::string out;
        for (char c : s)
            if (c != ' ' || (!out.empty() && out.back() != ' ')) out += c;
        return out;
    };
    std::string text;
    for (const auto& line : core::splitLines(guide())) text += line + " ";
    std::string rule = results::kVerdictRule;
    rule[0] = 'a'; // the guide says it after a colon
    EXPECT_NE(folded(text).find(folded(rule)), std::string::npos) << rule;
}
