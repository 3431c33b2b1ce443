// The real platform for files, clocks, the console and the registry, with the tones and the
// network of the fake: a test that makes a real fault report sends nothing onto the machine's
// network.
#pragma once

#include <string>
#include <vector>

#include "support/fake_os.h"
#include "support/forwarding_os.h"

namespace platform {

class LocalOnlyOs : public ForwardingOs {
 public:
  FakeOs fake;                       // its tones and datagrams are the ones "played" and "sent"
  std::vector<std::string> written;  // every file opened for writing, in order

  ErrorCode OpenForWriting(const std::string& path, bool append, FileHandle* handle) override {
    written.push_back(path);
    return ForwardingOs::OpenForWriting(path, append, handle);
  }
  void Beep(uint32_t frequency, uint32_t milliseconds) override {
    fake.Beep(frequency, milliseconds);
  }
  ErrorCode StartSockets() override { return fake.StartSockets(); }
  ErrorCode OpenUdpSocket(SocketHandle* socket) override { return fake.OpenUdpSocket(socket); }
  ErrorCode SetBroadcast(SocketHandle socket, bool on) override {
    return fake.SetBroadcast(socket, on);
  }
  ErrorCode SendBroadcast(SocketHandle socket, const char* data, size_t size, uint16_t port,
                          size_t* sent) override {
    return fake.SendBroadcast(socket, data, size, port, sent);
  }
  void CloseSocket(SocketHandle socket) override { fake.CloseSocket(socket); }
};

}  // namespace platform
