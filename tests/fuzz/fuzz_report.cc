// The report of a whole log with arbitrary filters and exclusion text. Input: three lengths (one
// byte each) for Filter1, Filter2 and ExcludeIDs, a chunk size (its bit 6: the log is named as
// the server names its DHCPv6 log), those texts, then the log.
// Checks: every reported block is 19 CR LF-ended lines with the labels in order, or 14 with the
// DHCPv6 log's; a console run writes the same text as a redirected one, red event lines between
// 12 and 7; the run with its block scan writes what reporting every line on its own, as the
// kind its header or name gives, writes; every scan kernel finds the candidates the portable one
// finds.
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

// The DHCPv6 block's labels after the event line, written out as kBlockLabels are.
constexpr const char* kV6Labels[12] = {
    "Date: ",      "Time: ",       "Description: ",   "IPv6 Address: ",
    "Host Name: ", "Error Code: ", "Duid Length: ",   "Duid Bytes(Hex): ",
    "User Name: ", "Dhcid: ",      "Subnet Prefix: ", "Further Fields: "};

std::string Run(const std::string& log, const std::string& name, bool console,
                testing_support::tReading reading, size_t chunk,
                const tessal::tRunSettings& settings, platform::FakeOs& os) {
  os.console = console;
  return testing_support::RunOver(os, log, chunk, settings, reading, name);
}

// The line at at begins with label; at moves on past its CR LF.
bool LineStarts(const std::string& out, size_t& at, const char* label) {
  const size_t end = out.find("\r\n", at);
  if (end == std::string::npos || out.compare(at, std::strlen(label), label) != 0) return false;
  at = end + 2;
  return true;
}

void CheckBlocks(const std::string& out) {
  size_t at = 0;
  while (at < out.size()) {
    Check(LineStarts(out, at, "Event: "));
    Check(LineStarts(out, at, "Date: "));
    Check(LineStarts(out, at, "Time: "));
    Check(LineStarts(out, at, "Description: "));
    // The fifth line tells the kind of the block.
    size_t v4 = at;
    if (LineStarts(out, v4, testing_support::kBlockLabels[4])) {
      at = v4;
      for (int line = 5; line < 18; ++line)
        Check(LineStarts(out, at, testing_support::kBlockLabels[line]));
    } else {
      for (int line = 3; line < 12; ++line) Check(LineStarts(out, at, kV6Labels[line]));
    }
    Check(out.compare(at, 2, "\r\n") == 0);
    at += 2;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view in(reinterpret_cast<const char*>(data), size);
  if (in.size() < 4) return 0;
  const size_t n1 = static_cast<uint8_t>(in[0]) % 12, n2 = static_cast<uint8_t>(in[1]) % 12,
               ne = static_cast<uint8_t>(in[2]) % 12, chunk = 1 + static_cast<uint8_t>(in[3]) % 64;
  const std::string name = (in[3] & 0x40) != 0 ? "DhcpV6SrvLog-Thu.log" : "log";
  in.remove_prefix(4);
  tessal::tRunSettings settings;
  settings.Filter1 = Take(in, n1);
  settings.Filter2 = Take(in, n2);
  settings.ExcludeIDs = Take(in, ne);
  const std::string log(in);

  platform::FakeOs redirected, console, each;
  const std::string out =
      Run(log, name, false, testing_support::tReading::kReport, chunk, settings, redirected);
  CheckBlocks(out);
  Check(Run(log, name, true, testing_support::tReading::kReport, chunk, settings, console) == out);
  for (size_t i = 0; i < console.events.size(); ++i) {
    if (!console.events[i].is_attribute) continue;
    // Red comes just before an event line, and the default right after it.
    const bool red = console.events[i].attribute == tessal::kAttributeBrightRed;
    Check(red || console.events[i].attribute == platform::kAttributeDefault);
    if (red) {
      Check(i + 2 < console.events.size() && console.events[i + 2].is_attribute &&
            console.events[i + 2].attribute == platform::kAttributeDefault);
      Check(console.events[i + 1].text.rfind("Event: ", 0) == 0);
    }
  }
  Check(Run(log, name, false, testing_support::tReading::kEveryLine, chunk, settings, each) == out);

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
