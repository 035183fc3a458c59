// Publishing records to an MQTT broker: on Linux through the publish library
// (publishing_posix.cpp); the Windows build has no MQTT client, so there --publish is refused
// (publishing_unavailable.cpp, also in the static build of the VM tier).
#pragma once

#include <cstddef>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>

#include "reader/poll_record.h"
#include "reader/reader_options.h"

namespace reader {

// Why --publish cannot take `url`; empty when it can.
std::string PublishUrlError(std::string_view url);

// Why --ha-discovery cannot take `discovery_prefix` with --publish's `url`, one that
// PublishUrlError takes, in words that follow the prefix; empty when it can.
std::string DiscoveryPrefixError(std::string_view discovery_prefix, std::string_view url);

// Publishes the records of one read. Its end (End, or else the destructor) gives the broker a
// few seconds for what waits, says "offline" and tells on `err` how many records were not
// published.
class RecordPublisher {
 public:
  // The broker's connection and the records not yet with it, for the service's status.
  struct State {
    bool connected = false;
    std::size_t waiting = 0;
  };

  virtual ~RecordPublisher() = default;
  // Also writes the connection's changes since the last record to `err`, one line each.
  virtual void Publish(const PollRecord& record) = 0;
  virtual State Now() = 0;
  // Why the broker refused us before we were ever connected (the credentials, a certificate),
  // which ends the read with status 5; empty while it has not. Its line is the caller's.
  virtual std::string StartRefusal() = 0;
  virtual void End() = 0;
};

struct PublishingStart {
  std::unique_ptr<RecordPublisher> publisher;
  std::string error;  // why publishing cannot start
  // The error is the options' (status 2: a password file, a spool another reader holds), not
  // the broker's (status 5).
  bool usage = false;
};

// Connects to the broker of options.publish.
PublishingStart StartPublishing(const ReaderOptions& options, std::ostream& err);

}  // namespace reader
