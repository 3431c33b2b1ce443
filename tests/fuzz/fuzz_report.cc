// ReportLine with arbitrary filters and exclusion text. Input: three lengths (one byte each) for
// Filter1, Filter2 and ExcludeIDs, those texts, then log lines.
// Checks: every reported block is 19 CR LF-ended lines with the labels in order; a console run
// writes the same text as a redirected one, the event line of 15 and 31 between 12 and 7; the
// scan that passes over lines gives the same output as reading every line.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/fake_os.h"
#include "support/block_labels.h"
#include "viewer/linereader.h"
#include "viewer/output.h"
#include "viewer/report.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

std::string Take(std::string_view& in, size_t n) {
  n = std::min(n, in.size());
  std::string taken(in.substr(0, n));
  in.remove_prefix(n);
  return taken;
}

std::string Run(const std::string& log, bool console, bool skip, size_t chunk,
                platform::FakeOs& os) {
  os.files["log"] = log;
  os.console = console;
  os.read_chunk = chunk;
  platform::SetForTesting(&os);
  platform::FileHandle file = 0;
  os.OpenForReading("log", &file);
  tessal::OutStart();
  auto report = [](std::string_view line) { tessal::ReportPaddedLine(line); };
  if (skip) {
    tessal::ReadLines(os, file, report, tessal::NextFilterCandidate);
  } else {
    tessal::ReadLines(os, file, report);
  }
  tessal::OutFlush();
  platform::SetForTesting(nullptr);
  return os.Stdout();
}

void CheckBlocks(const std::string& out) {
  size_t at = 0;
  while (at < out.size()) {
    for (int line = 0; line < 19; ++line) {
      const size_t end = out.find("\r\n", at);
      Check(end != std::string::npos);
      if (line < 18) {
        Check(out.compare(at, std::strlen(testing_support::kBlockLabels[line]),
                          testing_support::kBlockLabels[line]) == 0);
      } else {
        Check(end == at);
      }
      at = end + 2;
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view in(reinterpret_cast<const char*>(data), size);
  if (in.size() < 4) return 0;
  const size_t n1 = static_cast<uint8_t>(in[0]) % 12, n2 = static_cast<uint8_t>(in[1]) % 12,
               ne = static_cast<uint8_t>(in[2]) % 12, chunk = 1 + static_cast<uint8_t>(in[3]) % 64;
  in.remove_prefix(4);
  tessal::Filter1 = Take(in, n1);
  tessal::Filter2 = Take(in, n2);
  tessal::ExcludeIDs = Take(in, ne);
  tessal::AsciiUpperInPlace(tessal::Filter1);
  tessal::AsciiUpperInPlace(tessal::Filter2);
  const std::string log(in);

  platform::FakeOs redirected, console, skipped;
  const std::string out = Run(log, false, false, chunk, redirected);
  CheckBlocks(out);
  Check(Run(log, true, false, chunk, console) == out);
  for (size_t i = 0; i < console.events.size(); ++i) {
    if (!console.events[i].is_attribute) continue;
    // Red comes just before an event line of 15 or 31, and the default right after it.
    const bool red = console.events[i].attribute == platform::kAttributeBrightRed;
    Check(red || console.events[i].attribute == platform::kAttributeDefault);
    if (red) {
      Check(i + 2 < console.events.size() && console.events[i + 2].is_attribute &&
            console.events[i + 2].attribute == platform::kAttributeDefault);
      Check(console.events[i + 1].text.rfind("Event: ", 0) == 0);
    }
  }
  if (tessal::FiltersSkipLines()) Check(Run(log, false, true, chunk, skipped) == out);
  return 0;
}
