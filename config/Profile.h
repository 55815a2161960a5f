#pragma once
// A profile (ini) file held in memory: sections in brackets and key=value
// lines, read and written with the rules of the Windows profile-string
// functions. Every line the program does not write (comments, unknown keys,
// blank lines, their line endings) is kept exactly as it was.
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace korvane {

// A read value is cut to this many bytes.
constexpr size_t kProfileValueMax = 2047;

class TProfile {
 public:
  // The profile in the given bytes; a line ends at CRLF, LF or a lone CR, in
  // any mix, and new lines take the first line's ending. A leading
  // UTF-8 byte order mark is no part of the first line, and Text() keeps it.
  static TProfile Parse(std::string_view text);
  // The profile in a file: an empty one when the file does not exist, nothing
  // when it exists but cannot be read or is no regular file (so a save does
  // not wipe it).
  static std::optional<TProfile> Read(const std::string& path);
  // Like Read, with an empty profile for a file that cannot be read either.
  static TProfile Load(const std::string& path) { return Read(path).value_or(TProfile()); }

  // The value of the first matching key in the first matching section (both
  // matched ignoring case): trimmed, one pair of surrounding quotes dropped,
  // cut at kProfileValueMax bytes. No value when either is missing.
  std::optional<std::string> ReadString(std::string_view section, std::string_view key) const;
  // The section's distinct keys as ReadString finds them (case-folded), none
  // when it is missing.
  std::vector<std::string> KeyNames(std::string_view section) const;

  // Replaces the key's value in place, or appends the key to the end of its
  // section, or the section to the end of the file.
  void WriteString(std::string_view section, std::string_view key, std::string_view value);

  // The file's bytes.
  std::string Text() const;

 private:
  struct Line {
    std::string text;  // without its line ending
    std::string eol;   // "\r\n", "\n", "\r", or "" for a last line without one
  };
  struct Section {
    Line header;
    std::vector<Line> body;
    std::unordered_map<std::string, size_t> keys;  // folded key -> first line in body
  };

  void AddLine(Line line);
  Section* FindSection(std::string_view name);
  const Section* FindSection(std::string_view name) const;
  Line NewLine(std::string text) const;

  std::vector<Line> FPreamble;  // lines before the first section
  std::vector<Section> FSections;
  std::unordered_map<std::string, size_t> FSectionIndex;  // folded name -> first section
  std::string FEol = "\n";                                // the ending of new lines
  bool FByteOrderMark = false;
};

// Replaces the file at path (or, for a symbolic link, the file it leads to,
// also when that does not exist yet) with the bytes: a temporary file in the
// same folder is written, synced and renamed over it, so the old file stays
// whole whatever fails. A file that is read-only (no write permission for
// this user, or, for root, no write bit at all) is not replaced. Throws
// std::system_error on failure.
void ReplaceFileAtomically(const std::string& path, std::string_view bytes);

}  // namespace korvane
