// The Shift-JIS codec both ways: decoding never fails and gives valid UTF-8;
// what decodes cleanly encodes again; encoding takes valid UTF-8 only and what
// it produces decodes cleanly and encodes to the same bytes.
#include "fuzz/fuzz_common.h"
#include "platform/text_codec.h"

using namespace tackedit;

namespace {

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsUtf8(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        std::size_t n;
        std::uint32_t code;
        if (c < 0x80)
            n = 1, code = c;
        else if (c >= 0xC2 && c <= 0xDF)
            n = 2, code = c & 0x1F;
        else if (c >= 0xE0 && c <= 0xEF)
            n = 3, code = c & 0x0F;
        else if (c >= 0xF0 && c <= 0xF4)
            n = 4, code = c & 0x07;
        else
            return false;
        if (i + n > text.size())
            return false;
        for (std::size_t k = 1; k < n; ++k) {
            const auto t = static_cast<unsigned char>(text[i + k]);
            if ((t & 0xC0) != 0x80)
                return false;
            code = code << 6 | (t & 0x3F);
        }
        if ((n == 3 && code < 0x800) || (n == 4 && (code < 0x10000 || code > 0x10FFFF)) ||
            (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += n;
    }
    return true;
}

bool Clean(const std::string& utf8) { return utf8.find(kReplacementCharacter) == std::string::npos; }

} // namespace

std::vector<std::string> fuzz::Seeds()
{
    const std::string text = "相模湾 ﾖｯﾄ ①～〜 ¥\\ race1.txt";
    return {*Utf8ToCp932(text), text};
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes = fuzz::Bytes(data, size);

    const std::string decoded = Cp932ToUtf8(bytes);
    fuzz::Check(IsUtf8(decoded), "decoding gives valid UTF-8");
    if (Clean(decoded)) {
        const auto encoded = Utf8ToCp932(decoded);
        fuzz::Check(encoded.has_value(), "cleanly decoded text encodes");
        fuzz::Check(Cp932ToUtf8(*encoded) == decoded, "encoding decoded text loses nothing");
    }

    std::string bad;
    const auto encoded = Utf8ToCp932(bytes, &bad);
    if (!encoded) {
        fuzz::Check(!bad.empty() && bytes.find(bad) != std::string_view::npos, "the refused character is named");
        return 0;
    }
    fuzz::Check(IsUtf8(bytes), "only valid UTF-8 encodes");
    const std::string back = Cp932ToUtf8(*encoded);
    fuzz::Check(Clean(back) || !Clean(std::string(bytes)), "encoded text decodes cleanly");
    fuzz::Check(Utf8ToCp932(back) == encoded, "decoding what was encoded encodes to the same bytes");
    return 0;
}
