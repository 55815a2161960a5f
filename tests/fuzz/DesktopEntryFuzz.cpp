// Any program path and name give an entry that a reader following the
// desktop-entry rules reads back: Name and Path as written, and Exec starting
// the program with "/starup" (directly, or through the shell for a path
// holding '%').
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "base/Paths.h"
#include "dialogs/info/DesktopEntry.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

// The escapes of string values: \s \n \t \r \\.
std::string Unescape(std::string_view value) {
  std::string out;
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '\\') {
      out += value[i];
      continue;
    }
    Check(++i < value.size());
    switch (value[i]) {
      case 's': out += ' '; break;
      case 'n': out += '\n'; break;
      case 't': out += '\t'; break;
      case 'r': out += '\r'; break;
      case '\\': out += '\\'; break;
      default: std::abort();
    }
  }
  return out;
}

std::map<std::string, std::string> ReadEntry(std::string_view text) {
  std::map<std::string, std::string> keys;
  Check(text.substr(0, 16) == "[Desktop Entry]\n");
  text.remove_prefix(16);
  while (!text.empty()) {
    const size_t eol = text.find('\n');
    Check(eol != std::string_view::npos);
    const std::string_view line = text.substr(0, eol);
    const size_t eq = line.find('=');
    Check(eq != std::string_view::npos && keys.count(std::string(line.substr(0, eq))) == 0);
    keys[std::string(line.substr(0, eq))] = Unescape(line.substr(eq + 1));
    text.remove_prefix(eol + 1);
  }
  return keys;
}

// Exec's arguments: blanks separate them, double quotes hold reserved
// characters with '"', '`', '$' and '\' escaped; then "%%" is undone, and no
// other field code may appear.
std::vector<std::string> ExecArguments(std::string_view exec) {
  std::vector<std::string> args;
  size_t i = 0;
  while (i < exec.size()) {
    if (exec[i] == ' ') {
      ++i;
      continue;
    }
    std::string raw;
    if (exec[i] == '"') {
      for (++i; i < exec.size() && exec[i] != '"'; ++i) {
        if (exec[i] == '\\') {
          Check(++i < exec.size() && std::string_view("\"`$\\").find(exec[i]) != std::string_view::npos);
        }
        raw += exec[i];
      }
      Check(i++ < exec.size());
      Check(i == exec.size() || exec[i] == ' ');
    } else {
      for (; i < exec.size() && exec[i] != ' '; ++i) {
        Check(std::string_view("\"'\\><~|&;$*?#()`\t\n").find(exec[i]) == std::string_view::npos);
        raw += exec[i];
      }
    }
    std::string arg;
    for (size_t k = 0; k < raw.size(); ++k) {
      if (raw[k] == '%') Check(++k < raw.size() && raw[k] == '%');
      arg += raw[k];
    }
    args.push_back(arg);
  }
  return args;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string target = "/" + input.ConsumeRandomLengthString(256);
  const std::string name = input.ConsumeRemainingBytesAsString();
  // Neither a path nor a file name holds NUL; the name is a file name, so no '/'.
  if (target.find('\0') != std::string::npos || name.find_first_of(std::string("\0/", 2)) != std::string::npos)
    return 0;

  auto keys = ReadEntry(korvane::DesktopEntryText(target, name));
  Check(keys.size() == 4 && keys["Type"] == "Application" && keys["Name"] == name);
  Check(keys["Path"] == korvane::ExcludeTrailingPathDelimiter(korvane::ExtractFilePath(target)));
  const std::vector<std::string> args = ExecArguments(keys["Exec"]);
  const bool throughShell = target.find('%') != std::string::npos;
  const std::vector<std::string> expected =
      throughShell ? std::vector<std::string>{"/bin/sh", "-c", "exec \"$0\" \"$@\"", target, "/starup"}
                   : std::vector<std::string>{target, "/starup"};
  Check(args == expected);
  // GLib looks for the program before it undoes "%%": the program must not need it.
  Check(keys["Exec"].find('%') == std::string::npos || throughShell);
  Check(args[0].find('%') == std::string::npos);
  return 0;
}
