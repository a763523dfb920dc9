#pragma once

#include <string>

class QWidget;

namespace tackedit {

// Sets the English design caption of every control in the caption table found
// below root (by object name); screens call it once after building their controls.
void ApplyEnglishCaptions(QWidget* root);

// Sets the Japanese caption of every control in the table found below root.
void ApplyJapaneseCaptions(QWidget* root);

// With English captions, the controls that are Japanese only (the editor, the
// download panel) get a short English tooltip saying what they do.
void ApplyEnglishToolTips(QWidget* root);

// The caption of one control in a language, or nullptr when it is not in the table.
const char* CaptionOf(const char* control, int ui_language);

} // namespace tackedit
