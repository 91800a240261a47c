#include "results/average.h"

#include <algorithm>

namespace results {

namespace {

std::uint64_t pow10(int n) {
    std::uint64_t p = 1;
    while (n-- > 0)
        p *= 10;
    return p;
}

} // namespace

std::optional<Decimal> parseFigure(const std::string& text) {
    Decimal d;
    int digits = 0;
    bool point = false;
    for (char c : text) {
        if (c == '.' && !point) {
            point = true;
        } else if (c >= '0' && c <= '9') {
            if (++digits > kMaxFigureDigits) return std::nullopt;
            d.digits = d.digits * 10 + static_cast<std::uint64_t>(c - '0');
            if (point) ++d.scale;
        } else {
            return std::nullopt;
        }
    }
    if (digits == 0) return std::nullopt;
    return d;
}

std::optional<std::uint64_t> averageHundredths(const std::vector<std::string>& figures) {
    if (figures.empty() || figures.size() > kMaxFigures) return std::nullopt;
    std::vector<Decimal> values;
    values.reserve(figures.size());
    int scale = 0;
    for (const auto& f : figures) {
        auto d = parseFigure(f);
        if (!d) return std::nullopt;
        scale = std::max(scale, d->scale);
        values.push_back(*d);
    }
    // Bring every figure to the finest scale. Integer and fraction digits together
    // stay within kMaxFigureDigits only per figure, so refuse a mix that would not fit.
    int widest = 0;
    for (const auto& v : values) {
        int intDigits = 0;
        for (std::uint64_t n = v.digits / pow10(v.scale); n > 0; n /= 10)
            ++intDigits;
        widest = std::max(widest, intDigits);
    }
    if (widest + scale > kMaxFigureDigits + 1) return std::nullopt;

    std::uint64_t sum = 0;
    for (const auto& v : values)
        sum += v.digits * pow10(scale - v.scale);

    // mean in hundredths = sum * 100 / (count * 10^scale)
    std::uint64_t num = sum, den = figures.size();
    if (scale >= 2)
        den *= pow10(scale - 2);
    else
        num *= pow10(2 - scale);
    std::uint64_t q = num / den, r = num % den;
    if (2 * r > den || (2 * r == den && q % 2 == 1)) ++q;
    return q;
}

std::string hundredthsText(std::uint64_t hundredths) {
    std::string t = std::to_string(hundredths / 100);
    unsigned cents = static_cast<unsigned>(hundredths % 100);
    if (cents == 0) return t;
    t += '.';
    t += static_cast<char>('0' + cents / 10);
    if (cents % 10 != 0) t += static_cast<char>('0' + cents % 10);
    return t;
}

} // namespace results
