#pragma once
// Averages of fps figures in exact decimal arithmetic. The figures are decimal
// texts ("47.25"); reading them as scaled integers keeps every sum exact, so the
// rounding to hundredths (ties to even) never depends on a binary artefact.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace results {

// value = digits / 10^scale
struct Decimal {
    std::uint64_t digits = 0;
    int scale = 0;
};

// More digits than this in one figure is not an fps figure; the bound keeps the
// sum of 100 figures within 64 bits.
inline constexpr int kMaxFigureDigits = 15;

// The most figures one dump yields to the average.
inline constexpr std::size_t kMaxFigures = 100;

// "48", "47.4", ".5", "12." read exactly; nothing for any other text (signs,
// exponents, blanks inside, no digit at all, more than kMaxFigureDigits digits).
std::optional<Decimal> parseFigure(const std::string& text);

// The mean of the figures rounded to hundredths, ties to even, as a count of
// hundredths. Nothing when there is no figure, more than kMaxFigures, or one of
// them is not a number.
std::optional<std::uint64_t> averageHundredths(const std::vector<std::string>& figures);

// The shortest plain decimal text of a count of hundredths: "41", "35.5", "47.73".
std::string hundredthsText(std::uint64_t hundredths);

} // namespace results
