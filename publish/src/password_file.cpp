#include "publish/password_file.h"

#include <sys/stat.h>

#include "file_text.h"

namespace publish {

PasswordFile ReadPasswordFile(const std::string& path) {
  PasswordFile result;
  FileText file = ReadRegularFile(path);
  if (!file.error.empty()) {
    result.error = std::move(file.error);
    return result;
  }
  std::string line = file.text.substr(0, file.text.find('\n'));
  if (!line.empty() && line.back() == '\r') line.pop_back();
  if (line.empty()) {
    result.error = file.text.empty() ? "is empty" : "has an empty first line";
    return result;
  }
  result.password = std::move(line);
  result.others_can_read = (file.mode & S_IROTH) != 0;
  return result;
}

}  // namespace publish
