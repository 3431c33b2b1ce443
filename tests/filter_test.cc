// The filters: the plain test of a line, and the block scans that pass over the lines that
// cannot match. Every scan kernel the processor has must find exactly what the portable one
// finds, and a whole run with the scan must write what reading every line writes.
#include "viewer/filter.h"

#include <gtest/gtest.h>

#include "platform/rules.h"
#include "support/fake_os.h"
#include "support/report_runs.h"
#include "viewer/reader.h"

namespace tessal {
namespace {

using testing_support::Candidates;

const std::string kFiller(40, 'x');
// Matches in either case, a lone CR inside the filter, a filter split over two lines, the
// second filter alone, an LF without CR, Ctrl-Z cutting lines short, the last line without an
// end.
const std::string kLog =
    "11,a,PC-0042\r\n"
    "11,b,pc-0042.corp\r\n"
    "11,c,Pc-00\r42\r\n"
    "11,d,PC-00\r\n42,e\r\n"
    "11,f,PC-0041,laptop-9\r\n"
    "11,g," +
    kFiller + "PC-0042" + kFiller + "\n" +
    "11,h,p\r\n"
    "c-0042,11,i\r\n"
    "11,k,PC-0042\x1a,PC-0042\r\n"
    "11,m,q\x1aPC-0042\r\n"
    "11,j,PC-0042";

const std::vector<std::pair<std::string, std::string>> kFilterPairs = {
    {"PC-0042", ""}, {"PC-0042", "LAPTOP-9"}, {"2", ""}, {"11,", "X"}, {"NOWHERE", ""},
    {"C", "0"},      {"PC-0042", "PC-0042"}};

TEST(FilterScan, EveryKernelFindsWhatThePortableOneFinds) {
  // Whole lines only, as the reader hands the scan its blocks; long enough for every width,
  // with the matches at every offset of a vector step.
  std::string text;
  for (int shift = 0; shift < 70; ++shift) {
    text += "11," + std::string(static_cast<size_t>(shift), 'y') + "pc-0042,\r\n";
    text += "12," + std::string(static_cast<size_t>(shift), 'z') + "laptop-9\r\n";
    text += "13," + std::string(static_cast<size_t>(shift), 'w') + "\r,\r\n";
  }
  text += std::string(300, 'v') + "\r\n";
  const std::vector<tScanKernel> kernels = KernelsHere();
  ASSERT_EQ(kernels.front(), tScanKernel::kPortable);
  for (const auto& [one, two] : kFilterPairs) {
    tFilters filters = PrepareFilters(one, two);
    ASSERT_TRUE(filters.scan) << one;
    filters.kernel = tScanKernel::kPortable;
    const std::vector<size_t> portable = Candidates(filters, text);
    EXPECT_FALSE(portable.empty()) << one;
    for (tScanKernel kernel : kernels) {
      filters.kernel = kernel;
      EXPECT_EQ(Candidates(filters, text), portable)
          << one << "|" << two << " kernel " << static_cast<int>(kernel);
    }
  }
}

// Everything a run writes for a log read in chunks of the given size.
std::string RunOver(const std::string& log, size_t chunk, const tRunSettings& settings,
                    bool every_line) {
  platform::FakeOs os;
  return testing_support::RunOver(
      os, log, chunk, settings,
      every_line ? testing_support::tReading::kEveryLine : testing_support::tReading::kReport);
}

TEST(FilterScan, AWholeRunWritesWhatReadingEveryLineWrites) {
  for (const auto& [one, two] : kFilterPairs) {
    tRunSettings settings;
    settings.Filter1 = one;
    settings.Filter2 = two;
    for (size_t chunk : {size_t{1}, size_t{5}, size_t{17}, size_t{64}, kReadBlock}) {
      EXPECT_EQ(RunOver(kLog, chunk, settings, false), RunOver(kLog, chunk, settings, true))
          << one << "|" << two << " chunk " << chunk;
    }
  }
  tRunSettings settings;
  settings.Filter1 = "PC-0042";
  const std::string out = RunOver(kLog, kReadBlock, settings, false);
  for (const char* date :
       {"Date: a\r\n", "Date: b\r\n", "Date: c\r\n", "Date: g\r\n", "Date: k\r\n", "Date: j\r\n"}) {
    EXPECT_NE(out.find(date), std::string::npos) << date;
  }
  for (const char* date : {"Date: d\r\n", "Date: h\r\n", "Date: m\r\n"}) {
    EXPECT_EQ(out.find(date), std::string::npos) << date;
  }
}

// A byte that is no letter has no case: as the first or the last byte of a filter (above Z as
// well as below, and from 128 up) it is found as it stands, by the line test and by every scan
// kernel, as filter one and as filter two.
TEST(FilterScan, FiltersBeginningOrEndingInAnyByteThatIsNoLetterAreFound) {
  const std::string filler(70, 'y');  // the filter falls into a vector kernel's second step
  const std::vector<tScanKernel> kernels = KernelsHere();
  for (int value = 0; value < 256; ++value) {
    const char byte = static_cast<char>(value);
    if (platform::AsciiUpper(byte) != platform::AsciiLower(byte)) continue;  // a letter
    const std::string alone(1, byte);
    for (const std::string& filter : {alone, alone + "PC", "PC" + alone}) {
      const std::string line = "11," + filler + platform::AsciiLower(filter) + "," + filler;
      const size_t at = line.find(platform::AsciiLower(filter));
      for (bool second : {false, true}) {
        tFilters filters = second ? PrepareFilters("NOWHERE", filter) : PrepareFilters(filter, "");
        const std::string name = "byte " + std::to_string(value) + " in \"" + filter + "\" as " +
                                 (second ? "filter two" : "filter one");
        EXPECT_TRUE(PassesFilters(filters, line)) << name;
        if (!filters.scan) continue;  // CR and LF: every line is tested
        for (tScanKernel kernel : kernels) {
          filters.kernel = kernel;
          EXPECT_EQ(NextCandidate(filters, line.data(), line.data() + line.size()) - line.data(),
                    static_cast<ptrdiff_t>(at))
              << name << ", kernel " << static_cast<int>(kernel);
        }
      }
    }
  }
}

TEST(FilterScan, OnlyAFirstFilterWithoutLineEndsLetsTheScanPassOverLines) {
  EXPECT_TRUE(PrepareFilters("PC-0042", "").scan);
  EXPECT_TRUE(PrepareFilters("PC-0042", "X").scan);
  EXPECT_FALSE(PrepareFilters("", "X").scan);  // an empty first filter lets every line through
  EXPECT_FALSE(PrepareFilters("A\rB", "").scan);
  EXPECT_FALSE(PrepareFilters("A", "B\nC").scan);
}

}  // namespace
}  // namespace tessal
