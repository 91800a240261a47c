#include "results/stats.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace results {

namespace {

std::string fixed(double v, int decimals) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
    std::string s = buf;
    if (s.find_first_not_of("-0.") == std::string::npos && s.front() == '-') s.erase(0, 1);
    return s;
}

// Continued fraction of the incomplete beta function (modified Lentz), which
// converges fast for x < (a + 1) / (a + b + 2).
double betaFraction(double x, double a, double b) {
    constexpr double tiny = 1e-300;
    constexpr double eps = 1e-15;
    double c = 1, d = 1 - (a + b) * x / (a + 1);
    if (std::fabs(d) < tiny) d = tiny;
    d = 1 / d;
    double h = d;
    for (int m = 1; m <= 1000; ++m) {
        const double m2 = 2.0 * m;
        double aa = m * (b - m) * x / ((a + m2 - 1) * (a + m2));
        d = 1 + aa * d;
        if (std::fabs(d) < tiny) d = tiny;
        c = 1 + aa / c;
        if (std::fabs(c) < tiny) c = tiny;
        d = 1 / d;
        h *= d * c;
        aa = -(a + m) * (a + b + m) * x / ((a + m2) * (a + m2 + 1));
        d = 1 + aa * d;
        if (std::fabs(d) < tiny) d = tiny;
        c = 1 + aa / c;
        if (std::fabs(c) < tiny) c = tiny;
        d = 1 / d;
        const double step = d * c;
        h *= step;
        if (std::fabs(step - 1) < eps) break;
    }
    return h;
}

} // namespace

std::optional<Spread> spreadOf(const std::vector<double>& figures) {
    if (figures.empty()) return std::nullopt;
    Spread s;
    s.count = figures.size();
    double sum = 0;
    for (double f : figures)
        sum += f;
    s.mean = sum / static_cast<double>(s.count);
    s.min = *std::min_element(figures.begin(), figures.end());
    s.max = *std::max_element(figures.begin(), figures.end());
    if (s.count >= 2) {
        double squares = 0;
        for (double f : figures)
            squares += (f - s.mean) * (f - s.mean);
        s.sd = std::sqrt(squares / static_cast<double>(s.count - 1));
        if (s.mean != 0) s.relative = *s.sd / s.mean;
    }
    return s;
}

std::string sdText(const Spread& s) {
    return s.sd ? fixed(*s.sd, 2) : kOneRunNoSpread;
}

std::string relativeText(const Spread& s) {
    if (!s.sd) return kOneRunNoSpread;
    if (!s.relative) return "-";
    return fixed(*s.relative * 100, 1) + " %";
}

const char* verdictText(Verdict v) {
    switch (v) {
    case Verdict::Faster:
        return "faster";
    case Verdict::Slower:
        return "slower";
    case Verdict::WithinNoise:
        return "within noise";
    case Verdict::NotJudged:
        break;
    }
    return kOneRunNotJudged;
}

double incompleteBeta(double x, double a, double b) {
    if (x <= 0) return 0;
    if (x >= 1) return 1;
    const double front = std::exp(std::lgamma(a + b) - std::lgamma(a) - std::lgamma(b) +
                                  a * std::log(x) + b * std::log1p(-x));
    // The fraction converges on one side of the mean; the other side by symmetry.
    if (x < (a + 1) / (a + b + 2)) return front * betaFraction(x, a, b) / a;
    return 1 - front * betaFraction(1 - x, b, a) / b;
}

double studentTCdf(double t, double df) {
    if (std::isinf(t)) return t > 0 ? 1 : 0;
    // P(|T| > |t|) = I_{df/(df+t^2)}(df/2, 1/2)
    const double tail = incompleteBeta(df / (df + t * t), df / 2, 0.5) / 2;
    return t >= 0 ? 1 - tail : tail;
}

double studentTQuantile(double p, double df) {
    if (p <= 0) return -std::numeric_limits<double>::infinity();
    if (p >= 1) return std::numeric_limits<double>::infinity();
    if (p == 0.5) return 0;
    // The CDF rises steadily: widen a bracket, then halve it to the last bit.
    const bool upper = p > 0.5;
    const double want = upper ? p : 1 - p;
    double lo = 0, hi = 1;
    while (studentTCdf(hi, df) < want && hi < 1e300)
        hi *= 2;
    for (int i = 0; i < 200 && hi - lo > 1e-14 * hi; ++i) {
        const double mid = (lo + hi) / 2;
        (studentTCdf(mid, df) < want ? lo : hi) = mid;
    }
    const double t = (lo + hi) / 2;
    return upper ? t : -t;
}

Judgement welch(const std::vector<double>& base, const std::vector<double>& other) {
    Judgement j;
    auto a = spreadOf(base), b = spreadOf(other);
    if (!a || !b || !a->sd || !b->sd) return j;
    const double n1 = static_cast<double>(a->count), n2 = static_cast<double>(b->count);
    const double q1 = *a->sd * *a->sd / n1, q2 = *b->sd * *b->sd / n2;
    const double diff = b->mean - a->mean;
    if (q1 + q2 == 0) {
        // Every run of each side gave the same figure: nothing to tell a change
        // from but the change itself.
        j.df = n1 + n2 - 2;
        j.critical = studentTQuantile(0.975, *j.df);
        if (diff == 0) {
            j.t = 0;
            j.verdict = Verdict::WithinNoise;
        } else {
            j.t = diff > 0 ? std::numeric_limits<double>::infinity()
                           : -std::numeric_limits<double>::infinity();
            j.verdict = diff > 0 ? Verdict::Faster : Verdict::Slower;
        }
        return j;
    }
    j.t = diff / std::sqrt(q1 + q2);
    j.df = (q1 + q2) * (q1 + q2) / (q1 * q1 / (n1 - 1) + q2 * q2 / (n2 - 1));
    j.critical = studentTQuantile(0.975, *j.df);
    if (std::fabs(*j.t) <= *j.critical)
        j.verdict = Verdict::WithinNoise;
    else
        j.verdict = *j.t > 0 ? Verdict::Faster : Verdict::Slower;
    return j;
}

} // namespace results
