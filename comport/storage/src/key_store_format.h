// The key store's file format (described in storage/key_store.h).
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "storage/key_store.h"

namespace storage {

std::string FormatKeyStore(const std::vector<StoredKey>& keys);
// Raises EStorageError naming `file` and the line of the first malformed item.
std::vector<StoredKey> ParseKeyStore(std::string_view contents, const std::filesystem::path& file);

}  // namespace storage
