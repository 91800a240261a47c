#pragma once
// Shared by the bench tests: the fixture folder and a byte-exact folder comparison.
#include "support/fakes.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>

namespace bench_test {

inline std::filesystem::path dataPath(const std::string& rel) {
    return std::filesystem::path(FRAMEWISE_BENCH_DATA) / rel;
}

// The folder holds exactly the fixture folder's files, byte for byte.
inline void expectSameFiles(const std::filesystem::path& actual, const std::string& fixtureFolder) {
    const auto expected = dataPath(fixtureFolder);
    ASSERT_EQ(testing_support::namesIn(expected), testing_support::namesIn(actual))
        << fixtureFolder;
    for (const auto& name : testing_support::namesIn(expected))
        EXPECT_EQ(testing_support::readFile(expected / name),
                  testing_support::readFile(actual / name))
            << fixtureFolder << "/" << name;
}

} // namespace bench_test
