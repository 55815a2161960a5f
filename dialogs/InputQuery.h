#pragma once
// The one-line input dialog: a caption, a prompt of one or more lines, an edit
// field, "OK" (the default) and "キャンセル" (also Esc).
#include <string>

class QWidget;

namespace korvane {

// Shows the dialog modally over owner with value in the field, fully selected,
// taking at most maxLength characters. On "OK" value becomes the text as typed
// (not trimmed) and the result is true; otherwise value stays. Texts are the
// program's 8-bit texts: bytes that are not UTF-8 survive an unchanged field.
bool InputQuery(QWidget* owner, const std::string& caption, const std::string& prompt, std::string& value,
                int maxLength = 255);

}  // namespace korvane
