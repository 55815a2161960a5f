#include "app/startup/CommandLine.h"

#include <cstdio>

#include "base/Paths.h"
#include "dialogs/info/Info.h"
#include "dialogs/info/VersionInfo.h"
#include "platform/OwnExecutable.h"

namespace korvane {

TCommandLineOptions ParseOptions(const std::vector<std::string>& args) {
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--") return {TOptionAnswer::None, i};
    if (args[i] == "--help") return {TOptionAnswer::Help, std::nullopt};
    if (args[i] == "--version") return {TOptionAnswer::Version, std::nullopt};
  }
  return {};
}

std::string HelpText(const std::string& program) {
  return "Usage: " + program + " [--help | --version] [--] [PATH]...\n"
         "Plays the media files found in the given files and folders one after\n"
         "another. While one window runs, a later launch hands it its paths.\n"
         "\n"
         "  --help     show this help and exit\n"
         "  --version  show the version and exit\n"
         "  --         take every later argument as a path\n"
         "\n"
         "The keys, the settings file and the environment: man korvane\n";
}

std::string VersionText(const std::string& title, const std::string& version) {
  return title + " " + version + "\n";
}

namespace {

int Print(const std::string& text) {
  const bool written = std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
  return written && std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace

std::optional<int> AnswerOptions(int& argc, char** argv) {
  if (argc < 1) return std::nullopt;  // started without even its own name
  const TCommandLineOptions options = ParseOptions(std::vector<std::string>(argv + 1, argv + argc));
  if (options.answer == TOptionAnswer::Help) return Print(HelpText(ExtractFileName(argv[0])));
  if (options.answer == TOptionAnswer::Version) {
    const std::string exe = OwnExecutablePath();
    return Print(VersionText(ApplicationTitle(exe), GetVersionValue("FileVersion", kOwnImage)));
  }
  if (options.endOfOptions) {
    const int dashes = static_cast<int>(*options.endOfOptions) + 1;
    for (int i = dashes; i < argc; ++i) argv[i] = argv[i + 1];  // argv[argc] is the closing null
    --argc;
  }
  return std::nullopt;
}

}  // namespace korvane
