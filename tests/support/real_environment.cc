// The real layer of this build as a contract environment: its world is a folder of its own
// below the temporary folder, made and looked at through the C++ library, not through the layer.
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "support/environments.h"

namespace testing_support {
namespace {

namespace fs = std::filesystem;

fs::path UniqueTemporaryFolder() {
  // Other checkouts run the same tests at the same time, in the same temporary folder.
  std::random_device random;
  std::ostringstream name;
  name << "tessal-contract-" << std::hex << random() << random();
  return fs::temp_directory_path() / name.str();
}

class RealEnvironment : public Environment {
 public:
  RealEnvironment() : root_(UniqueTemporaryFolder()), before_(fs::current_path()) {
    fs::create_directories(root_ / "world");
    folder_ = (root_ / "world").string() + Separator();
  }
  ~RealEnvironment() override {
    fs::current_path(before_);
    for (const std::string& key : registry_keys_) real_world::RemoveRegistryKey(key);
    std::error_code ignored;
    // A read-only file would stay behind on Windows.
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root_, ignored)) {
      fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add, ignored);
    }
    fs::remove_all(root_, ignored);
  }

  platform::Os& Os() override { return platform::Real(); }
  std::string Folder() override { return folder_; }

  void MakeFile(const std::string& name, const std::string& contents) override {
    std::ofstream(name, std::ios::binary) << contents;
  }
  void MakeFolder(const std::string& name) override { fs::create_directory(name); }
  bool WithReadOnly(const std::string& name, const std::function<void()>& operations) override {
    fs::permissions(name, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    return real_world::AsOrdinaryUser([&] {
      if (std::ofstream(name, std::ios::binary | std::ios::app).is_open()) return false;
      operations();
      return true;
    });
  }
  bool WithUnreadable(const std::string& name, const std::function<void()>& operations) override {
    const fs::perms before = fs::status(name).permissions();
    fs::permissions(name, fs::perms::none);
    auto readable = [&] {
      std::error_code error;
      if (fs::is_directory(name, error)) {
        const fs::directory_iterator listing(name, error);
        return !error;
      }
      return std::ifstream(name, std::ios::binary).is_open();
    };
    const bool ran = real_world::AsOrdinaryUser([&] {
      if (readable()) return false;
      operations();
      return true;
    });
    fs::permissions(name, before);
    return ran;
  }
  void SetWriteTime(const std::string& name, uint64_t write_time) override {
    real_world::SetWriteTime(name, write_time);
  }
  std::optional<std::string> Contents(const std::string& name) override {
    if (!fs::is_regular_file(name)) return std::nullopt;
    std::ifstream in(name, std::ios::binary);
    std::ostringstream contents;
    contents << in.rdbuf();
    return contents.str();
  }
  bool IsCurrentFolder(const std::string& name) override {
    // The C library of Windows finds no folder by a name with a closing separator.
    std::string folder = name;
    if (folder.size() > 1 && folder.back() == Separator()) folder.pop_back();
    std::error_code error;
    return fs::equivalent(fs::current_path(), folder, error);
  }

  std::optional<std::string> MakeRegistryKey(
      const std::map<std::string, std::string>& texts) override {
    std::optional<std::string> key = real_world::MakeRegistryKey(texts);
    if (key) registry_keys_.push_back(*key);
    return key;
  }

  std::string WithStdoutToFile(const std::function<void()>& operations) override {
    const std::string file = (root_ / "stdout").string();
    real_world::WithStdoutToFile(file, operations);
    return Contents(file).value_or("");
  }
  bool WithStdoutClosed(const std::function<void()>& operations) override {
    real_world::WithStdoutClosed(operations);
    return true;
  }
  bool WithStdoutToAbandonedPipe(const std::function<void()>& operations) override {
    real_world::WithStdoutToAbandonedPipe(operations);
    return true;
  }

  bool OpenPipe(platform::FileHandle* reader) override { return real_world::OpenPipe(reader); }
  bool RequestStop() override { return real_world::RequestStop(); }

  // A datagram of the real layer reaches the machine's network: only tests/netns sends, inside
  // a network namespace of its own.
  bool MaySend() override { return false; }

 private:
  fs::path root_;
  fs::path before_;
  std::string folder_;
  std::vector<std::string> registry_keys_;
};

}  // namespace

std::unique_ptr<Environment> MakeRealEnvironment() { return std::make_unique<RealEnvironment>(); }

}  // namespace testing_support
