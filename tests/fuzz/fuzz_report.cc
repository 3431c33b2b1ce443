// The report of a whole log with arbitrary filters and exclusion text. Input: three lengths (one
// byte each) for Filter1, Filter2 and ExcludeIDs, a chunk size, those texts, then the log.
// Checks: every reported block is 19 CR LF-ended lines with the labels in order; a console run
// writes the same text as a redirected one, the event line of 15 and 31 between 12 and 7; the
// run with its block scan writes what reporting every line on its own writes; every scan kernel
// finds the candidates the portable one finds.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "platform/rules.h"
#include "support/block_labels.h"
#include "support/fake_os.h"
#include "support/report_runs.h"
#include "viewer/colours.h"
#include "viewer/filter.h"

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

std::string Run(const std::string& log, bool console, testing_support::tReading reading,
                size_t chunk, const tessal::tRunSettings& settings, platform::FakeOs& os) {
  os.console = console;
  return testing_support::RunOver(os, log, chunk, settings, reading);
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
  tessal::tRunSettings settings;
  settings.Filter1 = Take(in, n1);
  settings.Filter2 = Take(in, n2);
  settings.ExcludeIDs = Take(in, ne);
  const std::string log(in);

  platform::FakeOs redirected, console, each;
  const std::string out =
      Run(log, false, testing_support::tReading::kReport, chunk, settings, redirected);
  CheckBlocks(out);
  Check(Run(log, true, testing_support::tReading::kReport, chunk, settings, console) == out);
  for (size_t i = 0; i < console.events.size(); ++i) {
    if (!console.events[i].is_attribute) continue;
    // Red comes just before an event line of 15 or 31, and the default right after it.
    const bool red = console.events[i].attribute == tessal::kAttributeBrightRed;
    Check(red || console.events[i].attribute == platform::kAttributeDefault);
    if (red) {
      Check(i + 2 < console.events.size() && console.events[i + 2].is_attribute &&
            console.events[i + 2].attribute == platform::kAttributeDefault);
      Check(console.events[i + 1].text.rfind("Event: ", 0) == 0);
    }
  }
  Check(Run(log, false, testing_support::tReading::kEveryLine, chunk, settings, each) == out);

  tessal::tFilters filters = tessal::PrepareFilters(settings.Filter1, settings.Filter2);
  if (filters.scan) {
    // The scan is given whole lines without a Ctrl-Z, as the reader gives it its blocks.
    std::string lines = log.substr(0, log.find('\x1a'));
    lines.resize(lines.rfind('\n') == std::string::npos ? 0 : lines.rfind('\n') + 1);
    filters.kernel = tessal::tScanKernel::kPortable;
    const std::vector<size_t> portable = testing_support::Candidates(filters, lines);
    for (tessal::tScanKernel kernel : tessal::KernelsHere()) {
      filters.kernel = kernel;
      Check(testing_support::Candidates(filters, lines) == portable);
    }
  }
  return 0;
}
