#pragma once
// The lines of a text, for a range-for: each without its '\n' (a '\r' before it
// stays); what follows the last '\n' is a line too, nothing after a final one.
#include <algorithm>
#include <string_view>

namespace korvane {

class Lines {
 public:
  explicit Lines(std::string_view text) : text_(text) {}

  class Iterator {
   public:
    Iterator(std::string_view text, size_t pos) : text_(text), pos_(pos) {}
    std::string_view operator*() const { return text_.substr(pos_, LineEnd() - pos_); }
    Iterator& operator++() {
      pos_ = LineEnd() + 1;
      return *this;
    }
    bool operator!=(const Iterator& other) const { return Pos() != other.Pos(); }

   private:
    size_t LineEnd() const { return std::min(text_.find('\n', pos_), text_.size()); }
    size_t Pos() const { return std::min(pos_, text_.size()); }

    std::string_view text_;
    size_t pos_;
  };

  Iterator begin() const { return {text_, 0}; }
  Iterator end() const { return {text_, text_.size()}; }

 private:
  std::string_view text_;
};

}  // namespace korvane
