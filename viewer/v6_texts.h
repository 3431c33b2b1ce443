// What the block of a DHCPv6 record says about its event: the server's own meanings of its IDs.
#pragma once

#include <cstdint>
#include <string_view>

namespace tessal {

// The text after the ID on the event line: " - " and the meaning as the server's header block
// writes it, or the IPv4 log's " - Unkonwn Event." for an ID outside that table, so that one
// search finds the unexplained events of both logs.
std::string_view V6EventText(int32_t id);

// A full scope and failed DNS updates: clients get no address, or no name. Their event line is
// red on the console.
inline bool IsRedV6Event(int32_t id) {
  return id == 11009 || id == 11023 || id == 11028 || id == 11029;
}

}  // namespace tessal
