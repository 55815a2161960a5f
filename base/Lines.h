#pragma once
// The lines of a text, for a range-for: each without its '\n' (a '\r' before it
// stays); what follows the last '\n' is a line too, nothing after a final one.
#include <algorithm>
#include <string_view>

namespace korvane {

class TLines {
 public:
  explicit TLines(std::string_view text) : FText(text) {}

  class Iterator {
   public:
    Iterator(std::string_view text, size_t pos) : FText(text), FPos(pos) {}
    std::string_view operator*() const { return FText.substr(FPos, LineEnd() - FPos); }
    Iterator& operator++() {
      FPos = LineEnd() + 1;
      return *this;
    }
    bool operator!=(const Iterator& other) const { return Pos() != other.Pos(); }

   private:
    size_t LineEnd() const { return std::min(FText.find('\n', FPos), FText.size()); }
    size_t Pos() const { return std::min(FPos, FText.size()); }

    std::string_view FText;
    size_t FPos;
  };

  Iterator begin() const { return {FText, 0}; }
  Iterator end() const { return {FText, FText.size()}; }

 private:
  std::string_view FText;
};

}  // namespace korvane
