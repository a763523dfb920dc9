#include "base/messages.h"

#include <cstring>

namespace tackedit {

std::string Say(const Text& text, int ui_language, std::initializer_list<std::string> args)
{
    const char* format = ui_language == 0 ? text.japanese : text.english;
    std::string out;
    out.reserve(std::strlen(format) + 16 * args.size());
    for (const char* p = format; *p; ++p) {
        const std::size_t k = p[0] == '%' && p[1] >= '1' && p[1] <= '9' ? static_cast<std::size_t>(p[1] - '1') : 9;
        if (k < args.size()) {
            out += args.begin()[k];
            ++p;
        } else {
            out += *p;
        }
    }
    return out;
}

std::string CountOf(long long n, const Text& unit, int ui_language)
{
    if (ui_language == 0)
        return std::to_string(n) + unit.japanese;
    return std::to_string(n) + " " + unit.english + (n == 1 ? "" : "s");
}

} // namespace tackedit
