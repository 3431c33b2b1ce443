// Small text helpers the toolkit's routines share.
#pragma once

#include <string>
#include <string_view>

namespace mef32::detail {

// Replaces the first occurrence of from, matched exactly; later ones stay.
inline void ReplaceFirst(std::string& text, std::string_view from, std::string_view to) {
  const size_t at = text.find(from);
  if (at == std::string::npos) return;
  // Built anew rather than with replace(), which GCC 12 at -O2 flags with a false -Wrestrict.
  std::string replaced = text.substr(0, at);
  replaced += to;
  replaced += std::string_view(text).substr(at + from.size());
  text = std::move(replaced);
}

}  // namespace mef32::detail
