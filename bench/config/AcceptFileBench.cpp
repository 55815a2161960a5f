// The file filter against a bare stat loop over the same 100,000 real files,
// with 50 ignored names and 50 ignored extensions; prints both rates and
// their ratio.
#include <sys/stat.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "config/Config.h"

namespace {

using namespace korvane;

constexpr int kFiles = 100000;
constexpr int kPerFolder = 1000;

struct Corpus {
  std::string root;
  std::vector<std::string> paths;
  TConfig config;

  Corpus() {
    char pattern[] = "/tmp/korvane-bench-config-XXXXXX";
    if (!::mkdtemp(pattern)) std::abort();
    root = pattern;
    const char* exts[] = {".mp4", ".mkv", ".avi", ".mp3", ".MP4", ".db", ".txt"};
    for (int i = 0; i < kFiles; ++i) {
      const std::string folder = root + "/folder " + std::to_string(i / kPerFolder);
      if (i % kPerFolder == 0) std::filesystem::create_directory(folder);
      std::string name = (i % 97 == 0) ? "Thumbs.db" : "clip number " + std::to_string(i) + exts[i % 7];
      if (i % 89 == 0) name = "." + name;
      paths.push_back(folder + "/" + name);
      std::FILE* f = std::fopen(paths.back().c_str(), "w");
      if (!f) std::abort();
      std::fclose(f);
      if (::truncate(paths.back().c_str(), (i % 13 == 0) ? 1000 : 600000) != 0) std::abort();
    }
    for (int i = 0; i < 49; ++i) {
      config.FIgnoreList.Add("ignored name " + std::to_string(i) + ".mp4");
      config.FIgnoreExt.Add(".x" + std::to_string(i));
    }
    config.FIgnoreList.Add("Thumbs.db");
    config.FIgnoreExt.Add(".db");
  }
  ~Corpus() {
    std::error_code ec;
    std::filesystem::remove_all(root, ec);
  }
};

Corpus& TheCorpus() {
  static Corpus corpus;
  return corpus;
}

void BM_BareStat(benchmark::State& state) {
  const Corpus& c = TheCorpus();
  for (auto _ : state) {
    int found = 0;
    for (const std::string& p : c.paths) {
      struct stat st {};
      found += ::stat(p.c_str(), &st) == 0;
    }
    benchmark::DoNotOptimize(found);
  }
  state.SetItemsProcessed(state.iterations() * kFiles);
}

void BM_AcceptFile(benchmark::State& state) {
  const Corpus& c = TheCorpus();
  int accepted = 0;
  for (auto _ : state) {
    accepted = 0;
    for (const std::string& p : c.paths) accepted += c.config.AcceptFile(p);
    benchmark::DoNotOptimize(accepted);
  }
  state.SetItemsProcessed(state.iterations() * kFiles);
  state.counters["accepted"] = accepted;
}

BENCHMARK(BM_BareStat)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_AcceptFile)->Unit(benchmark::kMillisecond)->MinTime(1.0);

// Keeps each benchmark's time per iteration for the ratio.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      FReal[run.benchmark_name()] = run.GetAdjustedRealTime();
      FCpu[run.benchmark_name()] = run.GetAdjustedCPUTime();
    }
    ConsoleReporter::ReportRuns(runs);
  }
  // Milliseconds per pass over the files, wall-clock or CPU.
  double Real(const std::string& name) const { return Find(FReal, name); }
  double Cpu(const std::string& name) const { return Find(FCpu, name); }

 private:
  static double Find(const std::map<std::string, double>& times, const std::string& name) {
    const auto it = times.find(name);
    return it == times.end() ? 0 : it->second;
  }
  std::map<std::string, double> FReal;
  std::map<std::string, double> FCpu;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  TheCorpus();
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const std::string bare = "BM_BareStat/min_time:1.000";
  const std::string filter = "BM_AcceptFile/min_time:1.000";
  if (reporter.Real(bare) > 0 && reporter.Cpu(bare) > 0) {
    std::printf("AcceptFile over %d files: %.0f files/s, bare stat loop: %.0f files/s\n", kFiles,
                kFiles / (reporter.Real(filter) / 1000), kFiles / (reporter.Real(bare) / 1000));
    std::printf("ratio AcceptFile / bare stat: %.2fx wall-clock, %.2fx CPU (target within 1.30x)\n",
                reporter.Real(filter) / reporter.Real(bare), reporter.Cpu(filter) / reporter.Cpu(bare));
  }
  benchmark::Shutdown();
  return 0;
}
