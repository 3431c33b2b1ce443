// The fake as a contract environment: its world is its own members.
#include <string>

#include "support/environments.h"
#include "support/fake_os.h"

namespace testing_support {
namespace {

class FakeEnvironment : public Environment {
 public:
  explicit FakeEnvironment(platform::PathStyle style) {
    os_.style = style;
    folder_ = style == platform::PathStyle::kWindows ? "C:\\Contract\\" : "/contract/";
    os_.directories.push_back(folder_);
  }

  platform::Os& Os() override { return os_; }
  std::string Folder() override { return folder_; }
  void MakeFile(const std::string& name, const std::string& contents) override {
    os_.files[name] = contents;
  }
  void MakeFolder(const std::string& name) override { os_.directories.push_back(name); }
  bool WithReadOnly(const std::string& name, const std::function<void()>& operations) override {
    os_.read_only.push_back(name);
    operations();
    return true;
  }
  bool WithUnreadable(const std::string& name, const std::function<void()>& operations) override {
    os_.unreadable.push_back(name);
    operations();
    os_.unreadable.pop_back();
    return true;
  }
  void SetWriteTime(const std::string& name, uint64_t write_time) override {
    os_.write_times[name] = write_time;
  }
  std::optional<std::string> Contents(const std::string& name) override {
    const auto found = os_.files.find(name);
    if (found == os_.files.end()) return std::nullopt;
    return found->second;
  }
  bool IsCurrentFolder(const std::string& name) override {
    return os_.current_directory == name || os_.current_directory == name + Separator() ||
           os_.current_directory + Separator() == name;
  }

  std::optional<std::string> MakeRegistryKey(
      const std::map<std::string, std::string>& texts) override {
    if (os_.style == platform::PathStyle::kPosix) return std::nullopt;
    const std::string key = "Software\\Tessal\\Contract";
    auto& values = os_.registry[key];
    for (const auto& [name, text] : texts) values[name] = {platform::kRegSz, text + '\0'};
    return key;
  }

  // The fake's standard output is its list of events: text, and attributes as they are set.
  std::string WithStdoutToFile(const std::function<void()>& operations) override {
    os_.console = false;
    os_.events.clear();
    operations();
    std::string reached;
    for (const platform::FakeOs::Event& event : os_.events) {
      reached +=
          event.is_attribute ? "<attribute " + std::to_string(event.attribute) + ">" : event.text;
    }
    return reached;
  }
  // A test chooses what the fake's standard output answers: there is nothing to hold to.
  bool WithStdoutClosed(const std::function<void()>&) override { return false; }
  bool WithStdoutToAbandonedPipe(const std::function<void()>&) override { return false; }

  bool OpenPipe(platform::FileHandle* reader) override {
    const std::string name = folder_ + "pipe";
    os_.files[name] = "";
    os_.not_regular.push_back(name);
    return os_.OpenForReading(name, reader) == platform::kErrorNone;
  }
  bool RequestStop() override {
    os_.stop_requested = true;
    return true;
  }

  bool MaySend() override { return true; }  // its datagrams stay in the process

 private:
  platform::FakeOs os_;
  std::string folder_;
};

}  // namespace

std::unique_ptr<Environment> MakeFakeEnvironment(platform::PathStyle style) {
  return std::make_unique<FakeEnvironment>(style);
}

std::vector<EnvironmentFactory> Environments() {
  return {
      {"Real", [] { return MakeRealEnvironment(); }},
      {"FakeWindows", [] { return MakeFakeEnvironment(platform::PathStyle::kWindows); }},
      {"FakePosix", [] { return MakeFakeEnvironment(platform::PathStyle::kPosix); }},
  };
}

}  // namespace testing_support
