#include <cstdlib>

#include "publish/broker_url.h"
#include "publish/discovery.h"
#include "publish/password_file.h"
#include "publish/publisher.h"
#include "publish/tls_files.h"
#include "publishing.h"
#include "readings/record_fields.h"
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

  ~BrokerPublisher() override { End(); }

  void End() override {
    if (ended_) return;
    ended_ = true;
    const std::size_t left = publisher_->Stop(kFinalWait);
    // After a refusal at the start its line says all.
    if (!publisher_->StartRefusal().empty()) return;
    TellNotices();
    if (left > 0) err_ << "vlk240-read: " << left << " records were not published\n";
  }

  std::string StartRefusal() override { return publisher_->StartRefusal(); }

  void Publish(const PollRecord& record) override {
    const bool answered =
        record.outcome == PollOutcome::kAccepted || record.outcome == PollOutcome::kException;
    publisher_->Publish(
        {static_cast<std::uint8_t>(record.address), JsonRecordText(record),
         record.readings ? std::optional<unsigned>(record.readings->variant) : std::nullopt,
         answered, record.late, readings::IsoTime(record.time)});
    TellNotices();
  }

  State Now() override {
    const publish::Publisher::Health health = publisher_->CurrentHealth();
    return {health.connected, health.waiting};
  }

 private:
  void TellNotices() {
    for (const std::string& notice : publisher_->TakeNotices()) {
      err_ << "vlk240-read: " << notice << '\n';
    }
  }

  std::unique_ptr<publish::Publisher> publisher_;
  std::ostream& err_;
  bool ended_ = false;
};

// The password from --password-file (its first line) or VLK240_MQTT_PASSWORD; never from the
// command line, where every user's `ps` would show it.
std::optional<std::string> Password(const ReaderOptions& options, std::ostream& err,
                                    std::string& error) {
  if (options.password_file) {
    const std::string& path = *options.password_file;
    publish::PasswordFile file = publish::ReadPasswordFile(path);
    if (!file.password) {
      error = "--password-file " + path + " " + file.error;
      return std::nullopt;
    }
    if (file.others_can_read) {
      err << "vlk240-read: warning: --password-file " << path
          << " can be read by every user of this machine (chmod o-r " << path << ")\n";
    }
    return file.password;
  }
  if (const char* password = std::getenv("VLK240_MQTT_PASSWORD")) return std::string(password);
  return std::nullopt;
}

// Why one of the TLS files cannot serve, naming its option; empty when they all can. Checked
// here, as the options' fault: the client library would tell most of these as the broker's.
std::string TlsFilesError(const ReaderOptions& options) {
  struct File {
    const char* option;
    const std::optional<std::string>& path;
    bool key;
  };
  const File files[] = {{"--ca-file", options.ca_file, false},
                        {"--cert-file", options.cert_file, false},
                        {"--key-file", options.key_file, true}};
  for (const File& file : files) {
    if (!file.path) continue;
    // --cert-file comes with --key-file, and is checked before it.
    const std::string problem =
        file.key ? publish::KeyFileProblem(*file.path, options.cert_file.value_or(""))
                 : publish::CertificateFileProblem(*file.path);
    if (!problem.empty()) return std::string(file.option) + " " + *file.path + " " + problem;
  }
  return {};
}

}  // namespace

std::string PublishUrlError(std::string_view url) {
  const publish::ParsedUrl parsed = publish::ParseBrokerUrl(url);
  return parsed.url ? std::string() : "--publish: " + parsed.error;
}

std::string DiscoveryPrefixError(std::string_view discovery_prefix, std::string_view url) {
  return publish::DiscoveryPrefixError(discovery_prefix, publish::ParseBrokerUrl(url).url->prefix);
}

PublishingStart StartPublishing(const ReaderOptions& options, std::ostream& err) {
  publish::Settings settings;
  settings.url = *publish::ParseBrokerUrl(*options.publish).url;
  std::string error;
  settings.password = Password(options, err, error);
  if (error.empty()) error = TlsFilesError(options);
  if (!error.empty()) return {nullptr, error, true};
  settings.ca_file = options.ca_file.value_or("");
  settings.cert_file = options.cert_file.value_or("");
  settings.key_file = options.key_file.value_or("");
  if (options.queue) settings.queue_limit = static_cast<std::size_t>(*options.queue);
  settings.spool_directory = options.spool.value_or("");
  settings.discovery_prefix = options.ha_discovery;
  publish::Publisher::StartResult start = publish::Publisher::Start(settings);
  if (!start.publisher) return {nullptr, start.error, start.spool_held};
  return {std::make_unique<BrokerPublisher>(std::move(start.publisher), err), {}};
}

}  // namespace reader
