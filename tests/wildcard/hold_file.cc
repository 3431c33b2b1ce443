// Holds a log open as another Windows program does while Tessal reads it, until its standard
// input ends:
//   hold_file write FILE LINE  appends LINE and CR LF and keeps the file open for writing,
//                              letting others read it, as the DHCP server keeps today's log
//   hold_file lock FILE        keeps the file open letting nobody else in, as a backup may
// It writes "held" on standard output once the file is held.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
  const bool lock = argc == 3 && std::strcmp(argv[1], "lock") == 0;
  const bool write = argc == 4 && std::strcmp(argv[1], "write") == 0;
  if (!lock && !write) {
    std::fputs("usage: hold_file write FILE LINE | hold_file lock FILE\n", stderr);
    return 2;
  }
  const HANDLE file =
      CreateFileA(argv[2], lock ? GENERIC_READ : FILE_APPEND_DATA, lock ? 0 : FILE_SHARE_READ,
                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    std::fprintf(stderr, "cannot open %s: error %lu\n", argv[2], GetLastError());
    return 1;
  }
  if (write) {
    const std::string line = std::string(argv[3]) + "\r\n";
    DWORD written = 0;
    if (!WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr) ||
        written != line.size()) {
      std::fprintf(stderr, "cannot write %s: error %lu\n", argv[2], GetLastError());
      return 1;
    }
  }
  std::puts("held");
  std::fflush(stdout);
  while (std::getchar() != EOF) {
  }
  CloseHandle(file);
  return 0;
}
