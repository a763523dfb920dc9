#include "base/numbers.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace tackedit {

std::int64_t RoundHalfEven(long double value)
{
    if (std::isnan(value))
        return 0;
    constexpr long double kLimit = 9.2e18L;
    if (value >= kLimit)
        return std::numeric_limits<std::int64_t>::max();
    if (value <= -kLimit)
        return std::numeric_limits<std::int64_t>::min();
    // The default floating-point rounding mode is to nearest, halves to even.
    return static_cast<std::int64_t>(std::rint(value));
}

std::int32_t RoundHalfEvenToInt32(long double value)
{
    const std::int64_t r = RoundHalfEven(value);
    if (r > std::numeric_limits<std::int32_t>::max())
        return std::numeric_limits<std::int32_t>::max();
    if (r < std::numeric_limits<std::int32_t>::min())
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(r);
}

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

} // namespace

std::optional<long double> ParseReal(std::string_view text)
{
    // Most texts are a few digits and a decimal point: every digit fits the
    // mantissa, and the general path below would give the same value.
    if (!text.empty() && text.size() <= 19) {
        const char* p = text.data();
        const char* const end = p + text.size();
        std::uint64_t mantissa = 0;
        unsigned digit;
        while (p < end && (digit = static_cast<unsigned char>(*p) - unsigned{'0'}) < 10) {
            mantissa = mantissa * 10 + digit;
            ++p;
        }
        const char* point = end;
        if (p < end && *p == '.') {
            point = p++;
            while (p < end && (digit = static_cast<unsigned char>(*p) - unsigned{'0'}) < 10) {
                mantissa = mantissa * 10 + digit;
                ++p;
            }
        }
        if (p == end && text.size() > (point < end ? 1u : 0u)) {
            const auto fraction = point < end ? static_cast<int>(end - point - 1) : 0;
            return static_cast<long double>(mantissa) / PowerOfTen(fraction);
        }
    }
    text = TrimBlanks(text);
    std::size_t i = 0;
    const std::size_t n = text.size();
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    std::uint64_t mantissa = 0;
    int significant = 0;   // digits held in mantissa
    int dropped = 0;       // integer digits beyond what mantissa holds
    int fraction = 0;      // fraction digits held in mantissa
    bool any_digit = false;
    bool exact = true;
    for (; i < n && IsDigit(text[i]); ++i) {
        any_digit = true;
        if (significant < 19) {
            mantissa = mantissa * 10 + static_cast<unsigned>(text[i] - '0');
            if (mantissa != 0)
                ++significant;
        } else {
            ++dropped;
            exact = false;
        }
    }
    if (i < n && text[i] == '.') {
        ++i;
        for (; i < n && IsDigit(text[i]); ++i) {
            any_digit = true;
            if (significant < 19) {
                mantissa = mantissa * 10 + static_cast<unsigned>(text[i] - '0');
                if (mantissa != 0)
                    ++significant;
                ++fraction;
            } else {
                exact = false;
            }
        }
    }
    if (!any_digit)
        return std::nullopt;
    long exponent = 0;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        bool exp_negative = false;
        if (i < n && (text[i] == '+' || text[i] == '-')) {
            exp_negative = text[i] == '-';
            ++i;
        }
        if (i >= n || !IsDigit(text[i]))
            return std::nullopt;
        for (; i < n && IsDigit(text[i]); ++i)
            if (exponent < 100000)
                exponent = exponent * 10 + (text[i] - '0');
        if (exp_negative)
            exponent = -exponent;
    }
    if (i != n)
        return std::nullopt;

    const long scale = exponent + dropped - fraction;
    long double value;
    if (exact && scale >= -27 && scale <= 27) {
        value = static_cast<long double>(mantissa);
        value = scale < 0 ? value / PowerOfTen(static_cast<int>(-scale))
                          : value * PowerOfTen(static_cast<int>(scale));
    } else {
        // Rare long or extreme texts: let the library round them (locale-free).
        const std::string_view unsigned_text = text.substr(negative || text[0] == '+' ? 1 : 0);
        long double parsed = 0;
        const auto result = std::from_chars(unsigned_text.data(),
                                            unsigned_text.data() + unsigned_text.size(), parsed);
        if (result.ec != std::errc() || result.ptr != unsigned_text.data() + unsigned_text.size())
            return std::nullopt;
        value = parsed;
    }
    if (!std::isfinite(value))
        return std::nullopt;
    return negative ? -value : value;
}

std::optional<std::int64_t> ParseInteger(std::string_view text)
{
    text = TrimBlanks(text);
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i >= text.size())
        return std::nullopt;
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        if (!IsDigit(text[i]))
            return std::nullopt;
        if (value > 100000000000000000LL)
            return std::nullopt;
        value = value * 10 + (text[i] - '0');
    }
    return negative ? -value : value;
}

} // namespace tackedit
