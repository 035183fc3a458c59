// Whole-file reading, and replacement that never leaves a half-written file.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace storage {

// The file's bytes, or nullopt when it does not exist. Any other failure
// (no permission, a directory) raises EStorageError: treating such a file as
// empty would let the next write overwrite what it holds.
std::optional<std::string> ReadFileIfExists(const std::filesystem::path& path);

// Replaces the file's contents: a new file beside it is written, fsynced and
// renamed over the old one, so the file holds either the old or the new
// contents, also after a crash. The old file's permission bits are kept, and
// a symbolic link is followed so the link itself survives. On failure raises
// EStorageError; the old file is left as it was.
void ReplaceFile(const std::filesystem::path& path, std::string_view contents);

}  // namespace storage
