// Publishing records to an MQTT broker: on Linux through the publish library
// (publishing_posix.cpp); the Windows build has no MQTT client, so there --publish is refused
// (publishing_unavailable.cpp, also in the static build of the VM tier).
#pragma once

#include <memory>
#include <ostream>
#include <string>
#include <string_view>

#include "reader/poll_record.h"
#include "reader/reader_options.h"

namespace reader {

// Why --publish cannot take `url`; empty when it can.
std::string PublishUrlError(std::string_view url);

// Publishes the records of one read. Its end (the destructor) gives the broker a few seconds
// for what waits, says "offline" and tells on `err` how many records were not published.
class RecordPublisher {
 public:
  virtual ~RecordPublisher() = default;
  // Also writes the connection's changes since the last record to `err`, one line each.
  virtual void Publish(const PollRecord& record) = 0;
};

struct PublishingStart {
  std::unique_ptr<RecordPublisher> publisher;
  std::string error;   // why publishing cannot start
  bool usage = false;  // the error is the options' (status 2), not the broker's (status 5)
};

// Connects to the broker of options.publish.
PublishingStart StartPublishing(const ReaderOptions& options, std::ostream& err);

}  // namespace reader
