// What the Win32 layer shows its own tests of its workings, beyond the operations of os.h.
#pragma once

namespace platform {

// The file operations' requests around WoW64 file-system redirection since the process started:
// how often one asked for redirection to be turned off, and how often one turned it on again.
struct tRedirectionCounts {
  int asked_off = 0;
  int turned_on_again = 0;
};
const tRedirectionCounts& RedirectionCounts();

}  // namespace platform
