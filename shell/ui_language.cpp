#include "shell/ui_language.h"

#include <cstdlib>
#include <string_view>

namespace tackedit {

namespace {

const char kJapaneseFont[] = "ＭＳ Ｐゴシック";

std::string LanguageOf(std::string_view name)
{
    std::string language(name.substr(0, name.find_first_of("_.@")));
    for (char& c : language)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return language;
}

} // namespace

bool HasJapaneseUiFont(const std::vector<std::string>& families)
{
    // fontconfig may list the font under its Latin name.
    for (const std::string& family : families)
        if (family == kJapaneseFont || family == "MS PGothic")
            return true;
    return false;
}

std::string SystemLocaleLanguage()
{
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"})
        if (const char* value = std::getenv(variable); value && *value)
            return LanguageOf(value);
    return {};
}

int ChooseUiLanguage(const char* override_language, const std::string& locale_language, bool japanese_font)
{
    if (override_language) {
        const std::string chosen = LanguageOf(override_language);
        if (chosen == "ja")
            return 0;
        if (chosen == "en")
            return 2;
    }
    return locale_language == "ja" || japanese_font ? 0 : 2;
}

QFont WindowFont(int ui_language)
{
    // The screens were laid out for the Windows fonts. Of the fonts Debian
    // installs, DejaVu Sans at 11 pixels and IPA P Gothic (whose widths follow
    // MS P Gothic) at 12 fit every caption; the Windows font wins where present.
    QFont font;
    if (ui_language == 0) {
        font.setFamilies(QStringList{QString::fromUtf8(kJapaneseFont), QStringLiteral("IPAPGothic")});
        font.setPixelSize(12);
    } else {
        font.setFamilies(QStringList{QStringLiteral("DejaVu Sans")});
        font.setPixelSize(11);
    }
    return font;
}

} // namespace tackedit
