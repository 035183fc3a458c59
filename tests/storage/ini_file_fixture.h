// An INI file path in a fresh directory, for each INI file test.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>

#include "storage/ini_file.h"
#include "temp_dir.h"

namespace storage {

class IniFileTest : public ::testing::Test {
 protected:
  TempDir dir;
  std::filesystem::path path = dir / "port.ini";
};

}  // namespace storage
