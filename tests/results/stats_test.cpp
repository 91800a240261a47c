// Spread and verdicts against figures worked out by hand (mean, sample standard
// deviation, Welch's t and degrees of freedom from their formulas; t quantiles
// from a printed table of Student's t).
#include "results/stats.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace results;

TEST(Stats, SpreadOfKnownSamples) {
    struct Case {
        std::vector<double> figures;
        double mean, min, max;
        std::optional<double> sd;
        std::string sdText, relativeText;
    } cases[] = {
        // deviations .2667 -.3333 .0667: squares sum .18667, / 2 = .09333
        {{48.0, 47.4, 47.8}, 47.733333, 47.4, 48.0, 0.305505, "0.31", "0.6 %"},
        {{100, 101, 99}, 100, 99, 101, 1.0, "1.00", "1.0 %"},
        {{60, 60, 60}, 60, 60, 60, 0.0, "0.00", "0.0 %"},
        {{10, 12}, 11, 10, 12, 1.414214, "1.41", "12.9 %"},
        {{47.4}, 47.4, 47.4, 47.4, std::nullopt, "one run: no spread", "one run: no spread"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sdText);
        auto s = spreadOf(c.figures);
        ASSERT_TRUE(s);
        EXPECT_EQ(s->count, c.figures.size());
        EXPECT_NEAR(s->mean, c.mean, 1e-6);
        EXPECT_EQ(s->min, c.min);
        EXPECT_EQ(s->max, c.max);
        ASSERT_EQ(s->sd.has_value(), c.sd.has_value());
        if (c.sd) {
            EXPECT_NEAR(*s->sd, *c.sd, 1e-6);
        }
        EXPECT_EQ(sdText(*s), c.sdText);
        EXPECT_EQ(relativeText(*s), c.relativeText);
    }
    EXPECT_FALSE(spreadOf({}));
}

TEST(Stats, StudentTAgainstItsTable) {
    // Two-sided 95 % critical values as printed in tables of Student's t.
    struct Case {
        double df, critical;
    } cases[] = {{1, 12.7062}, {2, 4.3027},  {4, 2.7764},  {5, 2.5706},
                 {10, 2.2281}, {30, 2.0423}, {1e6, 1.9600}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.df);
        EXPECT_NEAR(studentTQuantile(0.975, c.df), c.critical, 5e-5);
        EXPECT_NEAR(studentTQuantile(0.025, c.df), -c.critical, 5e-5);
        EXPECT_NEAR(studentTCdf(c.critical, c.df), 0.975, 1e-5);
    }
    // Closed forms: df 1 is Cauchy, P(T <= 1) = 3/4; df 2 gives 1/2 + t / (2 sqrt(2 + t^2)).
    EXPECT_NEAR(studentTCdf(1, 1), 0.75, 1e-12);
    EXPECT_NEAR(studentTCdf(2, 2), 0.5 + 2 / (2 * std::sqrt(6.0)), 1e-12);
    EXPECT_NEAR(studentTCdf(-2, 2), 0.5 - 2 / (2 * std::sqrt(6.0)), 1e-12);
    EXPECT_EQ(studentTCdf(0, 3.5), 0.5);
    // Degrees of freedom need not be whole: the quantile inverts the CDF there too,
    // and lies between its neighbours'.
    const double q = studentTQuantile(0.975, 2.7306);
    EXPECT_NEAR(studentTCdf(q, 2.7306), 0.975, 1e-10);
    EXPECT_LT(q, 4.3027);
    EXPECT_GT(q, 3.1824); // df 3
    // I_x(a, 1) = x^a and I_x(1, b) = 1 - (1 - x)^b.
    EXPECT_NEAR(incompleteBeta(0.3, 2.5, 1), std::pow(0.3, 2.5), 1e-12);
    EXPECT_NEAR(incompleteBeta(0.8, 1, 3.5), 1 - std::pow(0.2, 3.5), 1e-12);
}

TEST(Stats, WelchVerdicts) {
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        const char* what;
        std::vector<double> base, other;
        Verdict verdict;
        std::optional<double> t, df;
    } cases[] = {
        // 10 % faster, runs spread 1 %: q = 1/3 each, t = 10 / sqrt(2/3), df = 4.
        {"ten per cent, one per cent spread",
         {100, 101, 99},
         {110, 111, 109},
         Verdict::Faster,
         12.247449,
         4},
        {"the same the other way", {110, 111, 109}, {100, 101, 99}, Verdict::Slower, -12.247449, 4},
        // Half a frame apart with a spread of one: t = .5 / sqrt(2/3).
        {"less than the spread",
         {60, 61, 62},
         {60.5, 61.5, 62.5},
         Verdict::WithinNoise,
         0.612372,
         4},
        {"equal samples", {30.1, 30.4, 30.2}, {30.1, 30.4, 30.2}, Verdict::WithinNoise, 0, 4},
        // Unequal variances and sizes: q1 = 2/2 = 1, q2 = (5/3)/4 = 5/12;
        // df = (17/12)^2 / (1/1 + (25/144)/3).
        {"unequal sizes", {10, 12}, {20, 21, 22, 23}, Verdict::Faster, 8.821765, 1.897155},
        // One side without spread: df falls to the other side's n - 1; 3.46 < 4.30.
        {"one side without spread", {60, 60, 60}, {61, 62, 63}, Verdict::WithinNoise, 3.464102, 2},
        {"worked example's Normal 640x480",
         {48.0, 47.4, 47.8},
         {52.0, 53.4, 52.8},
         Verdict::Faster,
         11.306675,
         2.730606},
        // No spread on either side: any difference is a change, none is noise.
        {"no spread, same figure", {60, 60}, {60, 60, 60}, Verdict::WithinNoise, 0, 3},
        {"no spread, higher", {60, 60}, {60.1, 60.1}, Verdict::Faster, inf, 2},
        {"no spread, lower", {60, 60}, {59.9, 59.9}, Verdict::Slower, -inf, 2},
        {"one figure on a side",
         {47.4},
         {52.0, 53.4},
         Verdict::NotJudged,
         std::nullopt,
         std::nullopt},
        {"one figure on both sides",
         {47.4},
         {52.0},
         Verdict::NotJudged,
         std::nullopt,
         std::nullopt},
        {"no figure", {}, {52.0, 53.4}, Verdict::NotJudged, std::nullopt, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto j = welch(c.base, c.other);
        EXPECT_EQ(j.verdict, c.verdict);
        ASSERT_EQ(j.t.has_value(), c.t.has_value());
        ASSERT_EQ(j.df.has_value(), c.df.has_value());
        if (!c.t) {
            EXPECT_FALSE(j.critical);
            continue;
        }
        if (std::isinf(*c.t)) {
            EXPECT_EQ(*j.t, *c.t);
        } else {
            EXPECT_NEAR(*j.t, *c.t, 1e-5);
        }
        EXPECT_NEAR(*j.df, *c.df, 1e-5);
        ASSERT_TRUE(j.critical);
        EXPECT_NEAR(*j.critical, studentTQuantile(0.975, *j.df), 1e-12);
    }
    EXPECT_STREQ(verdictText(Verdict::Faster), "faster");
    EXPECT_STREQ(verdictText(Verdict::Slower), "slower");
    EXPECT_STREQ(verdictText(Verdict::WithinNoise), "within noise");
    EXPECT_STREQ(verdictText(Verdict::NotJudged), "one run: not judged");
}
