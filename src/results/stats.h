#pragma once
// How much the runs of one setting spread, and whether two settings' figures
// differ by more than that spread: Welch's t-test, two-sided, at 95 %. Plain
// arithmetic on doubles, so that every figure and verdict is tested headless.
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace results {

// The runs of one level and resolution.
struct Spread {
    std::size_t count = 0;
    double mean = 0, min = 0, max = 0;
    // Sample standard deviation (n - 1) and its ratio to the mean; only with two
    // or more figures, since one run says nothing about spread.
    std::optional<double> sd, relative;
};

// Nothing for no figures.
std::optional<Spread> spreadOf(const std::vector<double>& figures);

inline constexpr const char* kOneRunNoSpread = "one run: no spread";
inline constexpr const char* kOneRunNotJudged = "one run: not judged";

// "0.31" (two decimals), or "one run: no spread".
std::string sdText(const Spread& s);
// "0.6 %" (one decimal), or "one run: no spread".
std::string relativeText(const Spread& s);

enum class Verdict { Faster, Slower, WithinNoise, NotJudged };

// "faster", "slower", "within noise", "one run: not judged".
const char* verdictText(Verdict v);

struct Judgement {
    Verdict verdict = Verdict::NotJudged;
    // Welch's t of other against base (positive: other is higher), its
    // Welch-Satterthwaite degrees of freedom and the two-sided 95 % critical
    // value; absent when not judged. With no spread on either side t is
    // infinite (any difference is a change, none is within noise) and df is
    // n1 + n2 - 2.
    std::optional<double> t, df, critical;
};

// Judges other against base: faster when other's mean is higher beyond noise.
// Not judged when a side has fewer than two figures.
Judgement welch(const std::vector<double>& base, const std::vector<double>& other);

// Student's t distribution with df degrees of freedom (df > 0, not necessarily
// whole): P(T <= t), and the t with P(T <= t) = p for 0 < p < 1.
double studentTCdf(double t, double df);
double studentTQuantile(double p, double df);

// The regularized incomplete beta function I_x(a, b), for a, b > 0, 0 <= x <= 1.
double incompleteBeta(double x, double a, double b);

} // namespace results
