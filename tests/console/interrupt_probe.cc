// A run interrupted while its console text is red, through the Win32 layer: the console's
// attribute is the user's, an interrupt is to give it back, the text turns red, and then the
// probe waits for Ctrl+C or Ctrl+Break to end it. Exit status 2 when the console cannot be read,
// 3 when no interrupt came.
#include <windows.h>

#include "platform/os.h"
#include "viewer/colours.h"

int main() {
  platform::Os& os = platform::Real();
  uint16_t user = 0;
  if (!os.ConsoleTextAttribute(&user)) return 2;
  os.RestoreTextAttributeOnInterrupt(user);
  os.SetTextAttribute(tessal::BrightRedOn(user));
  Sleep(30000);
  return 3;
}
