// A build without the MQTT client library (Windows, and the static guest of the VM tier): --publish
// is refused with the way round.
#include "publishing.h"

namespace reader {

std::string PublishUrlError(std::string_view) {
  return "--publish: publishing runs on Linux; run vlk240-read --publish on a Linux machine "
         "on the same line, or beside this one";
}

// --publish is refused before this is asked.
std::string DiscoveryPrefixError(std::string_view, std::string_view) { return {}; }

PublishingStart StartPublishing(const ReaderOptions&, std::ostream&) {
  return {nullptr, PublishUrlError({})};
}

}  // namespace reader
