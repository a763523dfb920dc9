#include "platform/text_codec.h"

#include <gtest/gtest.h>

#include <string>

namespace tackedit {
namespace {

TEST(TextCodec, JapaneseTextRoundTripsWithTheCodePageBytes)
{
    // Half-width katakana take one byte, the ideographic space two.
    const std::optional<std::string> bytes = Utf8ToCp932("ｽﾀｰﾄ\u3000レ");
    ASSERT_TRUE(bytes);
    EXPECT_EQ(*bytes, "\xBD\xC0\xB0\xC4\x81\x40\x83\x8C");

    for (const std::string text : {"レイライン角度", "再生速度(ｽﾀｰﾄ前)\u3000\u3000  倍", "ＭＳ Ｐゴシック",
                                   "C:\\ツール\\表示.exe", "①ⅰ～"}) {
        const std::optional<std::string> encoded = Utf8ToCp932(text);
        ASSERT_TRUE(encoded) << text;
        EXPECT_LT(encoded->size(), text.size()) << text;
        EXPECT_EQ(Cp932ToUtf8(*encoded), text);
    }
    // The wave dash some editors produce maps to the same code as the full-width tilde.
    EXPECT_EQ(Utf8ToCp932("\u301C"), Utf8ToCp932("\uFF5E"));
}

TEST(TextCodec, RefusesWhatTheCodePageCannotHoldAndNamesIt)
{
    std::string bad;
    EXPECT_FALSE(Utf8ToCp932("/home/jos\u00e9/tool.exe", &bad));
    EXPECT_EQ(bad, "\u00e9");
    EXPECT_FALSE(Utf8ToCp932("レース😀", &bad));
    EXPECT_EQ(bad, "😀");
    // Not UTF-8 at all: the stray byte is what is named.
    EXPECT_FALSE(Utf8ToCp932("ab\xFF", &bad));
    EXPECT_EQ(bad, "\xFF");
    // The converter is reused; a refusal must not spoil the next call.
    EXPECT_EQ(Utf8ToCp932("ok"), "ok");
    EXPECT_FALSE(Utf8ToCp932("\u00e9"));
}

TEST(TextCodec, InvalidBytesBecomeOneReplacementEachAndDecodingGoesOn)
{
    const std::string r(kReplacementCharacter);
    // A lead byte whose second byte cannot follow it: only the lead byte is lost.
    EXPECT_EQ(Cp932ToUtf8("A\x82 B"), "A" + r + " B");
    EXPECT_EQ(Cp932ToUtf8("A\x80\xA0\xFD\xFE\xFF" "B"), "A" + r + r + r + r + r + "B");
    // A character cut off by the end of the input.
    EXPECT_EQ(Cp932ToUtf8("AB\x82"), "AB" + r);
    EXPECT_EQ(Cp932ToUtf8(std::string("A\0B", 3)), std::string("A\0B", 3));
}

TEST(TextCodec, EmptyInputGivesEmptyOutput)
{
    EXPECT_EQ(Cp932ToUtf8(""), "");
    const std::optional<std::string> encoded = Utf8ToCp932("");
    ASSERT_TRUE(encoded);
    EXPECT_EQ(*encoded, "");
}

TEST(TextCodec, MegabyteInputsConvertWhole)
{
    std::string text;
    while (text.size() < (1u << 20))
        text += "LG,4.7\r\nレイライン角度,ｽﾀｰﾄ\u3000ＭＳ Ｐゴシック\r\n";
    const std::optional<std::string> encoded = Utf8ToCp932(text);
    ASSERT_TRUE(encoded);
    EXPECT_EQ(Cp932ToUtf8(*encoded), text);

    // Half-width katakana triple in size when decoded; bad bytes are counted exactly.
    std::string bytes;
    for (int i = 0; i < (1 << 20) / 4; ++i)
        bytes += i % 1000 == 0 ? "\xBD\xC0\xB0\xFF" : "\xBD\xC0\xB0\xC4";
    const std::string decoded = Cp932ToUtf8(bytes);
    std::size_t replacements = 0;
    for (std::size_t at = decoded.find(kReplacementCharacter); at != std::string::npos;
         at = decoded.find(kReplacementCharacter, at + 1))
        ++replacements;
    EXPECT_EQ(replacements, (1u << 20) / 4 / 1000 + 1);
    EXPECT_EQ(decoded.size(), bytes.size() * 3);
}

} // namespace
} // namespace tackedit
