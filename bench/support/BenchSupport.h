#pragma once
// What the benchmarks share: timing, medians, their generated media and a
// private X server for the run.
#include <chrono>
#include <string>
#include <vector>

namespace korvane::bench {

using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point from);
double Median(std::vector<double> v);
// The value below which `percent` % of v lie (nearest rank); 0 for none.
double Percentile(std::vector<double> v, double percent);

// A figure of /proc/<pid>/status in its own unit (kB for VmRSS), 0 when unknown.
long ProcStatus(int pid, const std::string& key);
// The number of the process's open descriptors, -1 when unknown.
int OpenDescriptors(int pid);

// The folder of the running executable.
std::string SelfDir();
// build/Korvane beside the benchmarks.
std::string KorvaneProgram();

// bench-media/<name> beside the executable, generated with ffmpeg from `args`
// on first use; "" when ffmpeg failed.
std::string Media(const std::string& name, const std::string& args);

// Without DISPLAY, runs the executable again under xvfb-run in an X server of
// its own that does not reset between clients, and does not return; otherwise returns.
void RunUnderXvfbWithoutDisplay(int argc, char** argv);

}  // namespace korvane::bench
