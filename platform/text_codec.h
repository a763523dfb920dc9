#pragma once

// Shift-JIS (Windows code page 932) at the edges, UTF-8 inside. Every text file
// the system reads or writes is code page 932.

#include <optional>
#include <string>
#include <string_view>

namespace tackedit {

// nullopt when a character has no code page 932 form (or the input is not valid
// UTF-8); `unconvertible` then receives that character (the offending bytes for
// invalid UTF-8). Nothing is ever replaced by "?".
std::optional<std::string> Utf8ToCp932(std::string_view utf8, std::string* unconvertible = nullptr);

// Never fails: each byte that does not start a valid character becomes U+FFFD
// and decoding goes on with the next byte.
std::string Cp932ToUtf8(std::string_view bytes);

// U+FFFD in UTF-8, what Cp932ToUtf8 puts for a byte it could not decode.
inline constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

} // namespace tackedit
