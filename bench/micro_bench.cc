// Nanoseconds per line for the two halves of the hot path: the line reader and ReportLine.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/fake_os.h"
#include "viewer/output.h"
#include "viewer/reader.h"
#include "viewer/report.h"

namespace {

// Standard output that goes nowhere, so that only the viewer's own work is timed.
class NullOs : public platform::FakeOs {
 public:
  platform::ErrorCode WriteStdout(const char*, size_t) override { return platform::kErrorNone; }
};

const char* const kLines[] = {
    "11,12/09/26,07:52:30,Renew,192.168.10.21,PC-01.corp.example,02A4C1D20101,,2751934012,0,,,,"
    "0x4D53465420352E30,MSFT 5.0,,,,0",
    "30,12/09/26,07:52:30,DNS Update Request,192.168.10.21,PC-01.corp.example,,,0,6,,,,,,,,,0",
    "32,12/09/26,07:52:31,DNS Update Successful,192.168.10.21,PC-01.corp.example,,,0,6,,,,,,,,,0",
    "10,12/09/26,08:12:20,Assign,192.168.20.31,android-5a1c2e9f3b7d4e60,2E7F91A4C3B5,,2209873164,"
    "0,,,,0x616E64726F69642D646863702D3133,android-dhcp-13,,,,0",
    "31,12/09/26,08:12:21,DNS Update Failed,192.168.20.31,android-5a1c2e9f3b7d4e60,,,0,6,,,,,,,,,"
    "9005",
};

std::string Log(size_t lines) {
  std::string log;
  for (size_t i = 0; i < lines; ++i) {
    log += kLines[i % std::size(kLines)];
    log += "\r\n";
  }
  return log;
}

void ReportLines(benchmark::State& state, const char* filter, const char* exclude) {
  NullOs os;
  platform::SetForTesting(&os);
  tessal::tRunSettings settings;
  settings.Filter1 = filter;
  settings.ExcludeIDs = exclude;
  tessal::OutStart();
  size_t lines = 0;
  for (auto _ : state) {
    for (const char* line : kLines) tessal::ReportLine(line, settings);
    lines += std::size(kLines);
  }
  tessal::OutFlush();
  platform::SetForTesting(nullptr);
  state.SetItemsProcessed(static_cast<int64_t>(lines));
  state.counters["ns/line"] = benchmark::Counter(
      static_cast<double>(lines), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_ReportLine(benchmark::State& state) { ReportLines(state, "", ""); }
void BM_ReportLineFiltered(benchmark::State& state) { ReportLines(state, "PC-0042", ""); }
void BM_ReportLineExcluded(benchmark::State& state) { ReportLines(state, "", "30,32"); }

// A log in memory, read from its start again for every pass.
class MemoryOs : public NullOs {
 public:
  explicit MemoryOs(std::string contents) : contents_(std::move(contents)) {}
  void Rewind() { position_ = 0; }
  platform::ErrorCode Read(platform::FileHandle, char* buffer, size_t size, size_t* got) override {
    *got = std::min(size, contents_.size() - position_);
    std::memcpy(buffer, contents_.data() + position_, *got);
    position_ += *got;
    return platform::kErrorNone;
  }

 private:
  std::string contents_;
  size_t position_ = 0;
};

void BM_ReadLines(benchmark::State& state) {
  MemoryOs os(Log(100000));
  size_t lines = 0;
  for (auto _ : state) {
    os.Rewind();
    tessal::ReadLines(os, 0, [&](std::string_view line) {
      benchmark::DoNotOptimize(line.data());
      ++lines;
    });
  }
  state.SetItemsProcessed(static_cast<int64_t>(lines));
  state.counters["ns/line"] = benchmark::Counter(
      static_cast<double>(lines), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

BENCHMARK(BM_ReportLine);
BENCHMARK(BM_ReportLineFiltered);
BENCHMARK(BM_ReportLineExcluded);
BENCHMARK(BM_ReadLines);

}  // namespace

BENCHMARK_MAIN();
