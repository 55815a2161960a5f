#pragma once
// The program's texts (UTF-8, or the bytes of a name that is not) for Qt's widgets.
#include <QString>
#include <string>

#include "base/Utf.h"

namespace korvane {

// The bytes read as UTF-8.
inline QString QtText(const std::string& text) { return QString::fromStdString(text); }

// For showing to the user: each byte that is not UTF-8 becomes U+FFFD.
inline QString ShownText(const std::string& text) { return QString::fromStdString(ToDisplayText(ToWide(text))); }

// For an edit field and back: lone surrogates carry the bytes that are not
// UTF-8 through it.
inline QString EditText(const std::string& text) { return QString::fromStdU16String(ToWide(text)); }
inline std::string FromEditText(const QString& text) { return ToNarrow(text.toStdU16String()); }

}  // namespace korvane
