#pragma once
// Conversions between the program's 8-bit texts (UTF-8, but any bytes a file
// name may hold) and the player's UTF-16 strings. A byte that is not part of
// valid UTF-8 travels as the lone surrogate U+DC00+byte, so a name that is not
// UTF-8 survives the round trip unchanged.
#include <string>
#include <string_view>

namespace korvane {

// Appends the UTF-8 encoding of one code point.
void AppendUtf8(std::string& out, char32_t cp);

// Length of the valid UTF-8 sequence at s[i] (i < s.size()) with its code
// point in cp, or 0 when the byte there starts no valid sequence.
size_t DecodeUtf8(std::string_view s, size_t i, char32_t& cp);

// The longest start of text within maxBytes that does not end inside a UTF-8
// sequence (a name cut to fit must still be text).
std::string CutUtf8(std::string_view text, size_t maxBytes);

std::u16string ToWide(std::string_view narrow);
// Lone surrogates U+DC80..U+DCFF become their byte again; other unpaired
// surrogates become U+FFFD.
std::string ToNarrow(std::u16string_view wide);
// Like ToNarrow, for text shown to the user: escaped bytes become U+FFFD too.
std::string ToDisplayText(std::u16string_view wide);

}  // namespace korvane
