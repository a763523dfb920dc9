#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace tackedit {

// Nearest whole number, halves to even (2.5 -> 2, 3.5 -> 4, -2.5 -> -2).
std::int64_t RoundHalfEven(long double value);

// Same, clamped into the 32-bit range the file formats and counters hold.
std::int32_t RoundHalfEvenToInt32(long double value);

// Removes blanks and control characters (everything up to the space) at both ends.
inline std::string_view TrimBlanks(std::string_view text)
{
    std::size_t b = 0, e = text.size();
    while (b < e && static_cast<unsigned char>(text[b]) <= ' ')
        ++b;
    while (e > b && static_cast<unsigned char>(text[e - 1]) <= ' ')
        --e;
    return text.substr(b, e - b);
}

// A decimal number as the track formats write it: optional blanks around it, a sign,
// digits with "." as the decimal point, an optional exponent. Parsed in extended
// precision so that degree values times 60 come out as the nearest double.
std::optional<long double> ParseReal(std::string_view text);

// Digits, a decimal point and digits, 19 digits at most in all, nothing else:
// how nearly every coordinate is written. Inline, with the two below: the
// readers spend much of their time here.
struct PlainDecimal {
    std::uint64_t whole = 0, fraction = 0;  // the digits before and after the point
    int whole_digits = 0, fraction_digits = 0;
};

inline bool ReadPlainDecimal(std::string_view text, PlainDecimal& out)
{
    const char* p = text.data();
    const char* const end = p + text.size();
    std::uint64_t whole = 0, fraction = 0;
    unsigned digit;
    while (p < end && (digit = static_cast<unsigned char>(*p) - unsigned{'0'}) < 10) {
        whole = whole * 10 + digit;
        ++p;
    }
    const auto whole_digits = static_cast<int>(p - text.data());
    if (p == end || *p != '.' || whole_digits == 0)
        return false;
    const char* const first = ++p;
    while (p < end && (digit = static_cast<unsigned char>(*p) - unsigned{'0'}) < 10) {
        fraction = fraction * 10 + digit;
        ++p;
    }
    const auto fraction_digits = static_cast<int>(p - first);
    out = {whole, fraction, whole_digits, fraction_digits};
    return p == end && whole_digits + fraction_digits <= 19;
}

namespace numbers_detail {
// Powers of ten that long double holds exactly (10^27 < 2^64 * 2^27).
inline constexpr long double kPowersOfTen[] = {
    1e0L,  1e1L,  1e2L,  1e3L,  1e4L,  1e5L,  1e6L,  1e7L,  1e8L,  1e9L,  1e10L, 1e11L, 1e12L, 1e13L,
    1e14L, 1e15L, 1e16L, 1e17L, 1e18L, 1e19L, 1e20L, 1e21L, 1e22L, 1e23L, 1e24L, 1e25L, 1e26L, 1e27L};
inline constexpr std::uint64_t kIntegerPowersOfTen[] = {1,
                                                        10,
                                                        100,
                                                        1000,
                                                        10000,
                                                        100000,
                                                        1000000,
                                                        10000000,
                                                        100000000,
                                                        1000000000,
                                                        10000000000,
                                                        100000000000,
                                                        1000000000000,
                                                        10000000000000,
                                                        100000000000000,
                                                        1000000000000000,
                                                        10000000000000000,
                                                        100000000000000000,
                                                        1000000000000000000,
                                                        10000000000000000000u};
} // namespace numbers_detail

// 10^k for k up to 27, exact.
inline long double PowerOfTen(int k)
{
    return numbers_detail::kPowersOfTen[k];
}

// mantissa / 10^digits in extended precision: what ParseReal gives for a text
// of those digits with `digits` of them after the point.
inline long double ScaledDecimal(std::uint64_t mantissa, int digits)
{
    return static_cast<long double>(mantissa) / PowerOfTen(digits);
}

// 10^k for k up to 19.
inline std::uint64_t PowerOfTenInteger(int k)
{
    return numbers_detail::kIntegerPowersOfTen[k];
}

// A whole number: optional blanks, a sign, decimal digits.
std::optional<std::int64_t> ParseInteger(std::string_view text);

// Lower-cases ASCII letters only.
inline char AsciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace tackedit
