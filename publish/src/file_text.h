// The whole of a small regular file, for the files that hold our credentials.
#pragma once

#include <sys/types.h>

#include <string>

namespace publish {

struct FileText {
  std::string text;
  std::string error;  // why it cannot be read (the system's reason, or what it is instead)
  mode_t mode = 0;    // its permissions, when read
};

FileText ReadRegularFile(const std::string& path);

}  // namespace publish
