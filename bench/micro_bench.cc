// Nanoseconds per log line for the path a run takes, tessal::ReportFile (the line reader, with a
// filter the block scan, and each line's report), on a log made by genlog and held in memory:
// with no filter, with the filter genlog's host of known share, and with an exclusion. The line
// reader alone is timed too.
//   micro_bench [benchmark flags] LOG FILTER
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "support/fake_os.h"
#include "viewer/output.h"
#include "viewer/reader.h"
#include "viewer/report.h"

namespace {

// At most this much of the log is timed, cut after a whole line: a pass stays short.
constexpr size_t kLogLimit = 8 << 20;

// A log in memory, read from its start again for every pass, and standard output that goes
// nowhere, so that only the viewer's own work is timed. Counting, it tells the lines written.
class MemoryOs : public platform::FakeOs {
 public:
  void Load(std::string contents) { contents_ = std::move(contents); }
  size_t Size() const { return contents_.size(); }
  void Rewind() { position_ = 0; }
  platform::ErrorCode Read(platform::FileHandle, char* buffer, size_t size, size_t* got) override {
    *got = std::min(size, contents_.size() - position_);
    std::memcpy(buffer, contents_.data() + position_, *got);
    position_ += *got;
    return platform::kErrorNone;
  }
  platform::ErrorCode WriteStdout(const char* data, size_t size) override {
    if (counting) lines_written += static_cast<size_t>(std::count(data, data + size, '\n'));
    return platform::kErrorNone;
  }
  bool counting = false;
  size_t lines_written = 0;

 private:
  std::string contents_;
  size_t position_ = 0;
};

MemoryOs g_os;
size_t g_log_lines = 0;

// The settings as the command line makes them.
tessal::tRunSettings Settings(std::string filter, std::string exclude) {
  tessal::tRunSettings settings;
  settings.Filter1 = filter;
  settings.ExcludeIDs = exclude;
  return settings;
}

// One pass over the log, as a run makes it.
void ReportLog(const tessal::tRunSettings& settings) {
  g_os.Rewind();
  tessal::tOutput out = tessal::StartOutput(g_os);
  tessal::ReportFile(g_os, 0, settings, out);
  tessal::OutFlush(out);
}

// The records one pass reports: every block is 19 lines.
size_t BlocksReported(const tessal::tRunSettings& settings) {
  g_os.counting = true;
  g_os.lines_written = 0;
  ReportLog(settings);
  g_os.counting = false;
  return g_os.lines_written / 19;
}

double PercentOfLines(size_t part) {
  return 100.0 * static_cast<double>(part) / static_cast<double>(g_log_lines);
}

void PerLine(benchmark::State& state, size_t lines) {
  state.SetItemsProcessed(static_cast<int64_t>(lines));
  state.counters["ns/line"] = benchmark::Counter(
      static_cast<double>(lines), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_ReportFile(benchmark::State& state, const tessal::tRunSettings& settings, size_t kept) {
  size_t lines = 0;
  for (auto _ : state) {
    ReportLog(settings);
    lines += g_log_lines;
  }
  PerLine(state, lines);
  state.counters["kept%"] = PercentOfLines(kept);
}

void BM_ReadLines(benchmark::State& state) {
  size_t lines = 0;
  for (auto _ : state) {
    g_os.Rewind();
    tessal::ReadLines(g_os, 0, [&](std::string_view line) {
      benchmark::DoNotOptimize(line.data());
      ++lines;
    });
  }
  PerLine(state, lines);
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: micro_bench [benchmark flags] LOG FILTER\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  std::string log(kLogLimit, '\0');
  in.read(log.data(), static_cast<std::streamsize>(log.size()));
  log.resize(static_cast<size_t>(in.gcount()));
  if (log.size() == kLogLimit) log.resize(log.rfind('\n') + 1);
  g_log_lines = static_cast<size_t>(std::count(log.begin(), log.end(), '\n'));
  if (g_log_lines == 0) {
    std::fprintf(stderr, "micro_bench: no lines in %s\n", argv[1]);
    return 1;
  }
  g_os.Load(std::move(log));

  // Each case, and what it keeps as a share of the lines it reads.
  const std::string filter = argv[2];
  const struct {
    std::string name;
    tessal::tRunSettings settings;
  } cases[] = {
      {"every_line", Settings("", "")},
      {"filter_" + filter, Settings(filter, "")},
      {"exclusion_30_32", Settings("", "30,32")},
  };
  std::printf("micro_bench: %zu bytes, %zu lines of %s; kept:", g_os.Size(), g_log_lines, argv[1]);
  size_t kept[std::size(cases)];
  for (size_t i = 0; i < std::size(cases); ++i) {
    kept[i] = BlocksReported(cases[i].settings);
    std::printf("%s %s %zu (%.2f%%)", i == 0 ? "" : ",", cases[i].name.c_str(), kept[i],
                PercentOfLines(kept[i]));
  }
  std::printf("\n");
  std::fflush(stdout);
  if (kept[1] == 0 || kept[1] == kept[0]) {
    std::fprintf(stderr, "micro_bench: the filter %s keeps %zu of %zu records\n", filter.c_str(),
                 kept[1], kept[0]);
    return 1;
  }
  for (size_t i = 0; i < std::size(cases); ++i) {
    benchmark::RegisterBenchmark(("BM_ReportFile/" + cases[i].name).c_str(), BM_ReportFile,
                                 cases[i].settings, kept[i]);
  }
  benchmark::RegisterBenchmark("BM_ReadLines", BM_ReadLines);

  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
