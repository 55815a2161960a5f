#include "config/Profile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <system_error>

#include "base/AsciiText.h"
#include "base/Paths.h"
#include "base/TextCompare.h"
#include "base/Utf.h"
#include "platform/WholeFile.h"

namespace korvane {
namespace {

// Cuts the blanks around names and values; '\n' is not one of them.
std::string_view Trim(std::string_view s) { return TrimAny(s, " \t\r\v\f"); }

bool IsQuote(char c) { return c == '"' || c == '\''; }

bool HasQuotePair(std::string_view s) { return s.size() >= 2 && IsQuote(s.front()) && s.front() == s.back(); }

// The name of a "[name]" line, or nothing when the line is no section header.
std::optional<std::string_view> SectionName(std::string_view line) {
  line = Trim(line);
  if (line.empty() || line.front() != '[') return std::nullopt;
  line.remove_prefix(1);
  const size_t close = line.find(']');
  return Trim(line.substr(0, close));
}

// The key of a "key=value" line, or nothing for blank, comment and other lines.
std::optional<std::string_view> KeyOf(std::string_view line) {
  const size_t eq = line.find('=');
  if (eq == std::string_view::npos) return std::nullopt;
  const std::string_view key = Trim(line.substr(0, eq));
  if (!key.empty() && key.front() == ';') return std::nullopt;
  return key;
}

// Cuts at most max bytes, never inside a valid UTF-8 sequence.
std::string CutValue(std::string_view value, size_t max) {
  if (value.size() <= max) return std::string(value);
  size_t i = 0;
  while (i < value.size()) {
    char32_t cp = 0;
    const size_t len = DecodeUtf8(value, i, cp);
    const size_t step = len == 0 ? 1 : len;
    if (i + step > max) break;
    i += step;
  }
  return std::string(value.substr(0, i));
}

// The text to write so that reading it gives the value back: a value that
// reading would trim or unquote goes inside one more pair of quotes. Line
// breaks would start new lines, so they become blanks.
std::string EncodeValue(std::string_view value) {
  std::string v(value);
  for (char& c : v) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  if (Trim(v).size() != v.size() || HasQuotePair(v)) return "\"" + v + "\"";
  return v;
}

[[noreturn]] void ThrowErrno(const std::string& what) { throw std::system_error(errno, std::generic_category(), what); }

// The file a save must replace: the end of a chain of symbolic links, so the
// links stay, also when that file does not exist yet.
std::string ResolveTarget(std::string path) {
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    std::string target(PATH_MAX, '\0');
    const ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
    if (n <= 0 || static_cast<size_t>(n) >= target.size()) ThrowErrno(path);
    target.resize(static_cast<size_t>(n));
    path = target.front() == '/' ? target : ExtractFilePath(path) + target;
  }
  errno = ELOOP;
  ThrowErrno(path);
}

// Write protection as the user sees it: root may write anything, so a file
// without any write bit counts as read-only for root too.
void RefuseReadOnly(const std::string& target) {
  struct stat st {};
  if (::stat(target.c_str(), &st) != 0) return;
  if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) ThrowErrno(target);
  if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
    errno = EACCES;
    ThrowErrno(target);
  }
}

// Creates a new file beside target for the replacement; returns its descriptor.
int CreateTemporary(const std::string& target, std::string& tempPath) {
  const std::string folder = ExtractFilePath(target);
  const std::string base = (folder.empty() ? std::string("./") : folder) + "." + ExtractFileName(target) + ".tmp-" +
                           std::to_string(::getpid()) + "-";
  for (unsigned attempt = 0;; ++attempt) {
    tempPath = base + std::to_string(attempt);
    const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) return fd;
    if (errno != EEXIST || attempt >= 100) ThrowErrno(tempPath);
  }
}

void SyncFolder(const std::string& target) {
  const std::string folder = ExtractFilePath(target);
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

TProfile TProfile::Parse(std::string_view text) {
  TProfile profile;
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  if (text.starts_with(kByteOrderMark)) {
    text.remove_prefix(kByteOrderMark.size());
    profile.FByteOrderMark = true;
  }
  bool eolKnown = false;
  while (!text.empty()) {
    // A line ends at CRLF, LF or a lone CR, as the profile functions read it.
    const size_t end = text.find_first_of("\r\n");
    Line line;
    if (end == std::string_view::npos) {
      line.text = std::string(text);
      text = {};
    } else {
      const bool crlf = text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n';
      line.text = std::string(text.substr(0, end));
      line.eol = std::string(text.substr(end, crlf ? 2 : 1));
      text.remove_prefix(end + line.eol.size());
      if (!eolKnown) profile.FEol = line.eol;
      eolKnown = true;
    }
    profile.AddLine(std::move(line));
  }
  return profile;
}

std::optional<TProfile> TProfile::Read(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return errno == ENOENT ? std::optional<TProfile>(TProfile()) : std::nullopt;
  // A folder, FIFO or device is no profile: reading could block or never end.
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return std::nullopt;
  }
  std::string bytes;
  char buffer[65536];
  ssize_t n = 0;
  while ((n = ::read(fd, buffer, sizeof buffer)) != 0) {
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) break;
    bytes.append(buffer, static_cast<size_t>(n));
  }
  ::close(fd);
  if (n < 0) return std::nullopt;
  return Parse(bytes);
}

void TProfile::AddLine(Line line) {
  if (const auto name = SectionName(line.text)) {
    std::string folded = FoldCaseKey(*name);
    FSectionIndex.try_emplace(std::move(folded), FSections.size());
    FSections.push_back(Section{std::move(line), {}, {}});
    return;
  }
  if (FSections.empty()) {
    FPreamble.push_back(std::move(line));
    return;
  }
  Section& section = FSections.back();
  if (const auto key = KeyOf(line.text)) {
    section.keys.try_emplace(FoldCaseKey(*key), section.body.size());
  }
  section.body.push_back(std::move(line));
}

const TProfile::Section* TProfile::FindSection(std::string_view name) const {
  const auto it = FSectionIndex.find(FoldCaseKey(Trim(name)));
  return it == FSectionIndex.end() ? nullptr : &FSections[it->second];
}

TProfile::Section* TProfile::FindSection(std::string_view name) {
  return const_cast<Section*>(static_cast<const TProfile*>(this)->FindSection(name));
}

std::optional<std::string> TProfile::ReadString(std::string_view section, std::string_view key) const {
  const Section* s = FindSection(section);
  if (!s) return std::nullopt;
  const auto it = s->keys.find(FoldCaseKey(Trim(key)));
  if (it == s->keys.end()) return std::nullopt;
  const std::string& text = s->body[it->second].text;
  std::string_view value = Trim(std::string_view(text).substr(text.find('=') + 1));
  if (HasQuotePair(value)) value = value.substr(1, value.size() - 2);
  return CutValue(value, kProfileValueMax);
}

std::vector<std::string> TProfile::KeyNames(std::string_view section) const {
  std::vector<std::string> names;
  if (const Section* s = FindSection(section)) {
    names.reserve(s->keys.size());
    for (const auto& entry : s->keys) names.push_back(entry.first);
  }
  return names;
}

TProfile::Line TProfile::NewLine(std::string text) const { return Line{std::move(text), FEol}; }

void TProfile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  const std::string_view keyName = Trim(key);
  const std::string encoded = EncodeValue(value);
  Section* s = FindSection(section);
  if (!s) {
    Line* last = !FSections.empty() ? (FSections.back().body.empty() ? &FSections.back().header : &FSections.back().body.back())
                                    : (FPreamble.empty() ? nullptr : &FPreamble.back());
    if (last && last->eol.empty()) last->eol = FEol;
    AddLine(NewLine("[" + std::string(Trim(section)) + "]"));
    s = &FSections.back();
  }
  const std::string folded = FoldCaseKey(keyName);
  if (const auto it = s->keys.find(folded); it != s->keys.end()) {
    Line& line = s->body[it->second];
    line.text = std::string(Trim(std::string_view(line.text).substr(0, line.text.find('=')))) + "=" + encoded;
    return;
  }
  // After the section's last non-blank line, so blank separator lines stay below it.
  size_t at = s->body.size();
  while (at > 0 && Trim(s->body[at - 1].text).empty()) --at;
  Line& before = at > 0 ? s->body[at - 1] : s->header;
  if (before.eol.empty()) before.eol = FEol;
  s->body.insert(s->body.begin() + static_cast<std::ptrdiff_t>(at), NewLine(std::string(keyName) + "=" + encoded));
  s->keys.emplace(folded, at);
}

std::string TProfile::Text() const {
  std::string out = FByteOrderMark ? "\xEF\xBB\xBF" : "";
  auto append = [&out](const Line& line) {
    out += line.text;
    out += line.eol;
  };
  for (const Line& line : FPreamble) append(line);
  for (const Section& s : FSections) {
    append(s.header);
    for (const Line& line : s.body) append(line);
  }
  return out;
}

void ReplaceFileAtomically(const std::string& path, std::string_view bytes) {
  const std::string target = ResolveTarget(path);
  RefuseReadOnly(target);
  std::string tempPath;
  const int fd = CreateTemporary(target, tempPath);
  auto fail = [&tempPath](int error, const std::string& what) {
    ::unlink(tempPath.c_str());
    throw std::system_error(error, std::generic_category(), what);
  };
  struct stat old {};
  if (::stat(target.c_str(), &old) == 0) {
    ::fchmod(fd, old.st_mode & 07777);
    // Keeping the owner only works for root; anyone else keeps their own.
    if (::fchown(fd, old.st_uid, old.st_gid) != 0) errno = 0;
  }
  try {
    if (!WriteAll(fd, bytes)) ThrowErrno(tempPath);
  } catch (const std::system_error& e) {
    ::close(fd);
    fail(e.code().value(), tempPath);
  }
  if (::fsync(fd) != 0) {
    const int error = errno;
    ::close(fd);
    fail(error, tempPath);
  }
  if (::close(fd) != 0) fail(errno, tempPath);
  if (::rename(tempPath.c_str(), target.c_str()) != 0) fail(errno, target);
  SyncFolder(target);
}

}  // namespace korvane
