#pragma once

// Which language the captions take, and the window font that goes with it.

#include <QFont>
#include <QStringList>

#include <string>
#include <vector>

namespace tackedit {

// True when the installed fonts include the Japanese interface font.
bool HasJapaneseUiFont(const std::vector<std::string>& families);

// The language of the user's locale ("ja" of ja_JP.UTF-8): LC_ALL, then
// LC_MESSAGES, then LANG, as programs choose the language of their messages.
std::string SystemLocaleLanguage();

// 0 (Japanese captions) or 2 (English). TACKEDIT_LANG "ja" or "en" decides;
// otherwise a Japanese locale or the Japanese interface font gives Japanese.
int ChooseUiLanguage(const char* override_language, const std::string& locale_language, bool japanese_font);

// The window font of a language: one whose captions fit the controls.
QFont WindowFont(int ui_language);

} // namespace tackedit
