// Sequences of a player's steps, enough of them that every step follows every
// other step (itself included) somewhere, each walked on a fresh install with
// the player's configuration and results checked after every step.
#include "sequence_support.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using sequence::Step;

// A walk through all ordered pairs of steps: an Euler circuit of the complete
// graph with loops, one visit per pair.
std::vector<Step> everyPairWalk() {
    constexpr int n = sequence::kStepCount;
    std::vector<int> next(n, 0);
    std::vector<int> stack{0}, circuit;
    while (!stack.empty()) {
        const int v = stack.back();
        if (next[v] < n) {
            stack.push_back(next[v]++);
        } else {
            circuit.push_back(v);
            stack.pop_back();
        }
    }
    std::vector<Step> walk;
    for (auto it = circuit.rbegin(); it != circuit.rend(); ++it)
        walk.push_back(static_cast<Step>(*it));
    return walk;
}

// The walk cut into short sequences; each starts with the step the one before
// ended with, so no pair is lost at a cut. Then the longer stories players told.
std::vector<std::vector<Step>> sequences() {
    constexpr std::size_t length = 12;
    const auto walk = everyPairWalk();
    std::vector<std::vector<Step>> out{
        {Step::RunYes, Step::Export, Step::Edit, Step::RunYes, Step::Generate},
        {Step::RunHeld, Step::Generate, Step::RunYes, Step::Generate},
        {Step::RunYes, Step::GenerateDiskFull, Step::Edit, Step::RunNo, Step::Export, Step::Edit,
         Step::RunCancel, Step::RunYes, Step::Generate},
    };
    for (std::size_t start = 0; start + 1 < walk.size(); start += length - 1)
        out.emplace_back(walk.begin() + static_cast<std::ptrdiff_t>(start),
                         walk.begin() +
                             static_cast<std::ptrdiff_t>(std::min(start + length, walk.size())));
    return out;
}

class EveryPair : public ::testing::TestWithParam<std::size_t> {};

TEST_P(EveryPair, PlayerKeepsConfigurationAndResults) {
    const auto seq = sequences().at(GetParam());
    SCOPED_TRACE(sequence::describe(seq));
    sequence::Player player;
    player.walk(seq);
}

INSTANTIATE_TEST_SUITE_P(Walk, EveryPair, ::testing::Range<std::size_t>(0, sequences().size()));

TEST(EveryPairWalk, CoversEveryOrderedPairOfSteps) {
    std::set<std::pair<Step, Step>> pairs;
    for (const auto& seq : sequences())
        for (std::size_t i = 0; i + 1 < seq.size(); ++i)
            pairs.insert({seq[i], seq[i + 1]});
    EXPECT_EQ(pairs.size(), static_cast<std::size_t>(sequence::kStepCount * sequence::kStepCount));
}

} // namespace
