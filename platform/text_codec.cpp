#include "platform/text_codec.h"

#include <cerrno>
#include <iconv.h>
#include <stdexcept>

namespace tackedit {
namespace {

// One converter per direction and thread, opened on first use and closed when
// the thread ends; iconv_open is far too slow to pay per line.
class Converter {
public:
    Converter(const char* to, const char* from) : to_(to), from_(from) {}
    ~Converter()
    {
        if (cd_ != reinterpret_cast<iconv_t>(-1))
            ::iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Ready for a new text: opened, shift state reset.
    iconv_t Fresh()
    {
        if (cd_ == reinterpret_cast<iconv_t>(-1)) {
            cd_ = ::iconv_open(to_, from_);
            if (cd_ == reinterpret_cast<iconv_t>(-1))
                throw std::runtime_error(std::string("iconv cannot convert ") + from_ + " to " + to_);
        }
        ::iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        return cd_;
    }

private:
    const char* to_;
    const char* from_;
    iconv_t cd_ = reinterpret_cast<iconv_t>(-1);
};

Converter& ToCp932()
{
    thread_local Converter converter("CP932", "UTF-8");
    return converter;
}

Converter& FromCp932()
{
    thread_local Converter converter("UTF-8", "CP932");
    return converter;
}

// Length of the UTF-8 sequence a lead byte announces, at least 1 and no more
// than what is left.
std::size_t Utf8SequenceLength(std::string_view text)
{
    const auto lead = static_cast<unsigned char>(text[0]);
    std::size_t length = 1;
    if (lead >= 0xF0 && lead < 0xF8)
        length = 4;
    else if (lead >= 0xE0)
        length = 3;
    else if (lead >= 0xC0)
        length = 2;
    return length < text.size() ? length : text.size();
}

// Runs the converter over the whole input, growing the output as needed. On a
// sequence it cannot take, calls on_bad(input offset, output, bytes of output
// used), which may append to the output and returns how many input bytes to
// skip, or 0 to give up (the function then returns false).
template <class OnBad>
bool Convert(iconv_t cd, std::string_view input, std::string& out, std::size_t initial_size, OnBad on_bad)
{
    out.resize(initial_size < 16 ? 16 : initial_size);
    char* in_ptr = const_cast<char*>(input.data());
    std::size_t in_left = input.size();
    std::size_t used = 0;
    for (;;) {
        char* out_ptr = out.data() + used;
        std::size_t out_left = out.size() - used;
        const std::size_t result = in_left == 0 ? ::iconv(cd, nullptr, nullptr, &out_ptr, &out_left)
                                                : ::iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left);
        used = static_cast<std::size_t>(out_ptr - out.data());
        if (result != static_cast<std::size_t>(-1)) {
            if (in_left == 0)
                break;
            continue;
        }
        if (errno == E2BIG) {
            out.resize(out.size() * 2);
            continue;
        }
        // EILSEQ, or EINVAL for a sequence cut off by the end of the input.
        const auto offset = static_cast<std::size_t>(in_ptr - input.data());
        const std::size_t skip = on_bad(offset, out, used);
        if (skip == 0)
            return false;
        in_ptr += skip;
        in_left -= skip;
        ::iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    out.resize(used);
    return true;
}

} // namespace

std::optional<std::string> Utf8ToCp932(std::string_view utf8, std::string* unconvertible)
{
    std::string out;
    // A code page 932 character never takes more bytes than its UTF-8 form.
    const bool ok = Convert(ToCp932().Fresh(), utf8, out, utf8.size(),
                            [&](std::size_t offset, std::string&, std::size_t) -> std::size_t {
                                if (unconvertible) {
                                    const std::string_view rest = utf8.substr(offset);
                                    *unconvertible = std::string(rest.substr(0, Utf8SequenceLength(rest)));
                                }
                                return 0;
                            });
    if (!ok)
        return std::nullopt;
    return out;
}

std::string Cp932ToUtf8(std::string_view bytes)
{
    std::string out;
    // Up to three UTF-8 bytes per input byte (half-width katakana, U+FFFD).
    Convert(FromCp932().Fresh(), bytes, out, bytes.size() + bytes.size() / 2,
            [](std::size_t, std::string& text, std::size_t& used) -> std::size_t {
                if (text.size() - used < kReplacementCharacter.size())
                    text.resize(text.size() * 2 + kReplacementCharacter.size());
                text.replace(used, kReplacementCharacter.size(), kReplacementCharacter);
                used += kReplacementCharacter.size();
                return 1;
            });
    return out;
}

} // namespace tackedit
