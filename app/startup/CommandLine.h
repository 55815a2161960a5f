#pragma once
// The command line's two options. Every argument is a path to search except
// "--help" and "--version" before the first "--", which itself ends the
// options and is dropped.
#include <optional>
#include <string>
#include <vector>

namespace korvane {

enum class TOptionAnswer { None, Help, Version };

struct TCommandLineOptions {
  TOptionAnswer answer = TOptionAnswer::None;
  // Index of the first "--" among args, if there is one.
  std::optional<size_t> endOfOptions;
};

// args are arguments 1..N; the first option among them decides.
TCommandLineOptions ParseOptions(const std::vector<std::string>& args);

// "Usage: <program> ..." with the options and where the keys are described.
std::string HelpText(const std::string& program);
// "<title> <version>", one line.
std::string VersionText(const std::string& title, const std::string& version);

// For --help or --version: prints the text to standard output and gives the
// exit status (0, or 1 when it cannot be written); the caller ends before
// anything else starts. Otherwise drops the "--" from argv (argc shrinks by
// one) and gives nothing.
std::optional<int> AnswerOptions(int& argc, char** argv);

}  // namespace korvane
