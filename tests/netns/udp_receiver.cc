// Receives UDP datagrams on port 514 and prints each one as a line of hexadecimal digits.
// Only ever run inside a network namespace of the test's own (see run.sh).
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: udp_receiver COUNT READY_FILE\n");
    return 2;
  }
  const int count = std::atoi(argv[1]);
  const int fd = socket(AF_INET, SOCK_DGRAM, 0);
  const int on = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(514);
  address.sin_addr.s_addr = htonl(INADDR_ANY);
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    std::perror("bind");
    return 1;
  }
  if (FILE* ready = std::fopen(argv[2], "w")) std::fclose(ready);
  static char buffer[70000];
  for (int i = 0; i < count; ++i) {
    pollfd wait{fd, POLLIN, 0};
    if (poll(&wait, 1, 20000) != 1) {
      std::fprintf(stderr, "udp_receiver: timed out after %d datagrams\n", i);
      return 1;
    }
    const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
    if (n < 0) return 1;
    for (ssize_t j = 0; j < n; ++j) std::printf("%02x", static_cast<unsigned char>(buffer[j]));
    std::printf("\n");
    std::fflush(stdout);
  }
  return 0;
}
