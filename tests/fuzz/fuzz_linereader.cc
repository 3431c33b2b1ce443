// The line reader fed in chunks of the sizes the input asks for. Checks: the lines, each with
// its LF, give back the input read line by line with every CR taken out, each line cut at a
// Ctrl-Z inside it, up to a Ctrl-Z that begins a line; the last line needs no LF, and a line
// that was all CRs still counts.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "support/fake_os.h"
#include "viewer/reader.h"

namespace {

// Hands out chunks of varying size, as a pipe or a network share may.
class ChunkedOs : public platform::FakeOs {
 public:
  ChunkedOs(std::string contents, std::string sizes)
      : contents_(std::move(contents)), sizes_(std::move(sizes)) {}
  platform::ErrorCode Read(platform::FileHandle, char* buffer, size_t size, size_t* got) override {
    size_t want = sizes_.empty() ? size : 1 + static_cast<uint8_t>(sizes_[turn_++ % sizes_.size()]);
    want = std::min({want, size, contents_.size() - position_});
    std::memcpy(buffer, contents_.data() + position_, want);
    position_ += want;
    *got = want;
    return platform::kErrorNone;
  }

 private:
  std::string contents_, sizes_;
  size_t position_ = 0, turn_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const size_t sizes = std::min<size_t>(data[0] % 8, size - 1);
  const std::string chunk_sizes(reinterpret_cast<const char*>(data) + 1, sizes);
  const std::string input(reinterpret_cast<const char*>(data) + 1 + sizes, size - 1 - sizes);

  ChunkedOs os(input, chunk_sizes);
  std::string joined;
  size_t lines = 0;
  tessal::ReadLines(os, 0, [&](std::string_view line) {
    if (line.find_first_of("\r\n") != std::string_view::npos) std::abort();
    joined.append(line);
    joined += '\n';
    ++lines;
  });

  // The rules read plainly, one physical line at a time: a Ctrl-Z that begins a line ends the
  // input, one inside a line cuts it short there, and CRs are taken out.
  std::string without_cr;
  size_t expected_lines = 0;
  for (size_t at = 0; at < input.size() && input[at] != '\x1a';) {
    const size_t lf = input.find('\n', at);
    std::string_view line =
        std::string_view(input).substr(at, lf == std::string::npos ? input.npos : lf - at);
    line = line.substr(0, line.find('\x1a'));
    for (char c : line) {
      if (c != '\r') without_cr += c;
    }
    without_cr += '\n';
    ++expected_lines;
    if (lf == std::string::npos) break;
    at = lf + 1;
  }
  if (joined != without_cr || lines != expected_lines) std::abort();
  return 0;
}
