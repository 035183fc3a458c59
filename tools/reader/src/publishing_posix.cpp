#include <cstdlib>
#include <fstream>

#include "publish/broker_url.h"
#include "publish/publisher.h"
#include "publishing.h"
#include "writers.h"

namespace reader {
namespace {

// What waiting records get at the end of a read before the publisher gives up on them.
constexpr std::chrono::seconds kFinalWait{5};

class BrokerPublisher : public RecordPublisher {
 public:
  BrokerPublisher(std::unique_ptr<publish::Publisher> publisher, std::ostream& err)
      : publisher_(std::move(publisher)), err_(err) {
    TellNotices();
  }

  ~BrokerPublisher() override {
    const std::size_t left = publisher_->Stop(kFinalWait);
    TellNotices();
    if (left > 0) err_ << "vlk240-read: " << left << " records were not published\n";
  }

  void Publish(const PollRecord& record) override {
    publisher_->Publish(
        {static_cast<std::uint8_t>(record.address), JsonRecordText(record),
         record.readings ? std::optional<unsigned>(record.readings->variant) : std::nullopt});
    TellNotices();
  }

 private:
  void TellNotices() {
    for (const std::string& notice : publisher_->TakeNotices()) {
      err_ << "vlk240-read: " << notice << '\n';
    }
  }

  std::unique_ptr<publish::Publisher> publisher_;
  std::ostream& err_;
};

// The password from --password-file (its first line) or VLK240_MQTT_PASSWORD; never from the
// command line, where every user's `ps` would show it.
std::optional<std::string> Password(const ReaderOptions& options, std::string& error) {
  if (options.password_file) {
    std::ifstream file(*options.password_file);
    std::string line;
    if (!file || !std::getline(file, line)) {
      error = "--password-file: cannot read a line from " + *options.password_file;
      return std::nullopt;
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
  }
  if (const char* password = std::getenv("VLK240_MQTT_PASSWORD")) return std::string(password);
  return std::nullopt;
}

}  // namespace

std::string PublishUrlError(std::string_view url) {
  const publish::ParsedUrl parsed = publish::ParseBrokerUrl(url);
  return parsed.url ? std::string() : "--publish: " + parsed.error;
}

PublishingStart StartPublishing(const ReaderOptions& options, std::ostream& err) {
  publish::Settings settings;
  settings.url = *publish::ParseBrokerUrl(*options.publish).url;
  std::string error;
  settings.password = Password(options, error);
  if (!error.empty()) return {nullptr, error, true};
  settings.ca_file = options.ca_file.value_or("");
  settings.cert_file = options.cert_file.value_or("");
  settings.key_file = options.key_file.value_or("");
  if (options.queue) settings.queue_limit = static_cast<std::size_t>(*options.queue);
  settings.discovery_prefix = options.ha_discovery;
  publish::Publisher::StartResult start = publish::Publisher::Start(settings);
  if (!start.publisher) return {nullptr, start.error};
  return {std::make_unique<BrokerPublisher>(std::move(start.publisher), err), {}};
}

}  // namespace reader
