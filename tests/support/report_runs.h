// Runs of the report over an in-memory log, and the scan's candidates in a text: what the unit
// tests, the fuzz targets and the benchmark compare the viewer's ways of reading with.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "support/fake_os.h"
#include "viewer/filter.h"
#include "viewer/settings.h"

namespace testing_support {

// How a run reads its log: with the report's own reading (and its scan), or every line handed
// on its own to the report of its log's kind, the kind settled as a plain reading of the rule
// settles it.
enum class tReading { kReport, kEveryLine };

// Everything a run writes to standard output for a log of that name read from os in chunks of
// the given size; os is the run's platform, console or not as the caller set it.
std::string RunOver(platform::FakeOs& os, const std::string& log, size_t chunk,
                    const tessal::tRunSettings& settings, tReading reading,
                    const std::string& name = "log");

// Every candidate of the scan in the whole lines of text, scanning on after each one's line.
std::vector<size_t> Candidates(const tessal::tFilters& filters, std::string_view text);

}  // namespace testing_support
