// The clock's AM/PM word is the one of the user's locale, and none at all where
// the locale keeps a 24-hour clock. The locales are built from the system's
// locale sources into a folder of the test, so no system setting is needed.
#include "platform/clock.h"
#include "support/fakes.h"
#include "support/scoped_env.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

namespace {

class ClockLocale : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        dir_ = new testing_support::TempDir;
        for (const char* spec : {"de_DE ISO-8859-1 de_DE.ISO-8859-1", "af_ZA ISO-8859-1 af_ZA.ISO-8859-1"}) {
            std::string input, charmap, name;
            std::istringstream(spec) >> input >> charmap >> name;
            const std::string command = "localedef -i " + input + " -f " + charmap + " \"" +
                                        (dir_->path() / name).string() + "\" >/dev/null 2>&1";
            // localedef warns about some sources yet writes a usable locale.
            std::system(command.c_str());
            ASSERT_TRUE(fs::exists(dir_->path() / name / "LC_TIME"))
                << "could not build the locale " << name << " (is the locales package installed?)";
        }
    }
    static void TearDownTestSuite() {
        delete dir_;
        dir_ = nullptr;
    }
    static testing_support::TempDir* dir_;
};
testing_support::TempDir* ClockLocale::dir_ = nullptr;

TEST_F(ClockLocale, DesignatorIsTheLocalesOwnAndEmptyWhereItHasNone) {
    struct Case {
        const char* locale;
        const char* am;
        const char* pm;
    };
    const Case cases[] = {
        {"C", "AM", "PM"},
        {"af_ZA.ISO-8859-1", "VM", "NM"},
        {"de_DE.ISO-8859-1", "", ""},
    };
    using testing_support::ScopedEnv;
    ScopedEnv locpath("LOCPATH", dir_->path().string()), all("LC_ALL", "C"),
        time("LC_TIME", std::nullopt), lang("LANG", std::nullopt);
    for (const auto& c : cases) {
        ::setenv("LC_ALL", c.locale, 1);
        auto t = platform::systemClock()->now();
        EXPECT_EQ(t.amPm, t.hour < 12 ? c.am : c.pm) << c.locale << " at hour " << t.hour;
        EXPECT_NE(t.longDate.find(std::to_string(t.year)), std::string::npos) << t.longDate;
    }
}

} // namespace
