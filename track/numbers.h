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
// how nearly every coordinate is written.
struct PlainDecimal {
    std::uint64_t whole = 0, fraction = 0;  // the digits before and after the point
    int whole_digits = 0, fraction_digits = 0;
};
bool ReadPlainDecimal(std::string_view text, PlainDecimal& out);

// mantissa / 10^digits in extended precision: what ParseReal gives for a text
// of those digits with `digits` of them after the point.
long double ScaledDecimal(std::uint64_t mantissa, int digits);

// 10^k for k up to 19.
std::uint64_t PowerOfTenInteger(int k);

// A whole number: optional blanks, a sign, decimal digits.
std::optional<std::int64_t> ParseInteger(std::string_view text);

// Lower-cases ASCII letters only.
inline char AsciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace tackedit
