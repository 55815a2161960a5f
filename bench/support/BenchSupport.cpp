#include "bench/support/BenchSupport.h"

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "harness/TestMedia.h"

namespace korvane::bench {

double Ms(Clock::time_point from) { return std::chrono::duration<double, std::milli>(Clock::now() - from).count(); }

double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

double Percentile(std::vector<double> v, double percent) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  const double rank = std::ceil(percent / 100 * static_cast<double>(v.size()));
  return v[static_cast<size_t>(std::clamp(rank, 1.0, static_cast<double>(v.size()))) - 1];
}

long ProcStatus(int pid, const std::string& key) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind(key + ":", 0) == 0) return std::atol(line.c_str() + key.size() + 1);
  return 0;
}

int OpenDescriptors(int pid) {
  DIR* fds = opendir(("/proc/" + std::to_string(pid) + "/fd").c_str());
  if (!fds) return -1;
  int count = 0;
  while (const dirent* e = readdir(fds))
    if (e->d_name[0] != '.') ++count;
  closedir(fds);
  return count;
}

std::string SelfDir() {
  char buf[4096];
  const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return ".";
  std::string p(buf, static_cast<size_t>(n));
  return p.substr(0, p.rfind('/'));
}

std::string KorvaneProgram() { return SelfDir() + "/../../Korvane"; }

std::string Media(const std::string& name, const std::string& args) {
  const std::string dir = SelfDir() + "/bench-media";
  const std::string mk = "mkdir -p '" + dir + "'";
  if (std::system(mk.c_str()) != 0) return "";
  const std::string out = dir + "/" + name;
  if (access(out.c_str(), R_OK) == 0) return out;
  std::fprintf(stderr, "generating %s ...\n", name.c_str());
  return test::RunFfmpeg(args, out) ? out : "";
}

void RunUnderXvfbWithoutDisplay(int argc, char** argv) {
  const char* display = std::getenv("DISPLAY");
  if ((display && *display) || std::getenv("KORVANE_BENCH_NO_XVFB")) return;
  setenv("KORVANE_BENCH_NO_XVFB", "1", 1);
  std::vector<char*> args = {const_cast<char*>("xvfb-run"), const_cast<char*>("-a"), const_cast<char*>("-s"),
                             const_cast<char*>("-screen 0 1280x1024x24 -noreset")};
  for (int i = 0; i < argc; ++i) args.push_back(argv[i]);
  args.push_back(nullptr);
  execvp("xvfb-run", args.data());
  std::perror("xvfb-run");
  std::exit(1);
}

}  // namespace korvane::bench
