// Korvane's front: what a user, a file manager or the desktop entry starts. It
// answers --help and --version and hands a later launch's paths to the running
// instance with nothing but the C++ library loaded; a first launch becomes the
// full program beside it (Korvane.bin) in the same process, keeping the lock.
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "app/startup/CommandLine.h"
#include "app/startup/FrontHandOver.h"
#include "app/startup/StartUp.h"
#include "platform/OwnExecutable.h"

int main(int argc, char** argv) {
  // Read before anything else, so a later replacement of the file changes nothing.
  korvane::OwnExecutablePath();
  // The full program reads the command line again, "--" and all.
  std::vector<char*> given(argv, argv + argc + 1);
  if (const std::optional<int> status = korvane::AnswerOptions(argc, argv)) return *status;  // --help, --version
  const std::vector<std::string> paths(argv + 1, argv + argc);
  if (const std::optional<int> status = korvane::HandOffToRunningInstance(korvane::InstanceGuid, paths)) return *status;
  const std::string failure = korvane::ExecFullProgram(korvane::InstanceGuid, given.data());
  std::fprintf(stderr, "Korvane: %s\n", failure.c_str());
  return 1;
}
