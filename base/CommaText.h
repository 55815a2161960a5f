#pragma once
// The comma text that carries a list of paths from one process to another:
// items joined by single commas, an item quoted when it holds a double quote,
// a comma or a byte 0x00..0x20, with its quotes doubled inside.
#include <string>
#include <string_view>
#include <vector>

#include "base/StringList.h"

namespace korvane {

// A list of exactly one empty item is written as "" (two double quotes); an
// empty item among others is nothing between its commas.
std::string ToCommaText(const std::vector<std::string>& items);
inline std::string ToCommaText(const TStringList& list) { return ToCommaText(list.Items()); }

// The items of text in order. Reading stops at the first NUL; blanks
// (0x01..0x20) outside quotes end an item and are skipped; a trailing comma
// adds one empty item; a quoted item without its closing quote runs to the end.
std::vector<std::string> CommaTextItems(std::string_view text);

// Clears out and adds the items of text to it in order. Inline, so that what
// needs no string list (the front) links neither it nor its text order.
inline void SplitCommaText(std::string_view text, TStringList& out) {
  out.Clear();
  for (std::string& item : CommaTextItems(text)) out.Add(std::move(item));
}

}  // namespace korvane
