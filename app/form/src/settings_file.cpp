// The settings file's place; reading and writing it are each system's own
// (settings_file_posix.cpp, settings_file_win32.cpp).
#include "form/settings_file.h"

namespace form {

std::filesystem::path SettingsFilePath() {
  std::error_code error;
  std::filesystem::path directory = std::filesystem::current_path(error);
  return directory / kSettingsFileName;
}

}  // namespace form
