#include "storage/ini_file.h"

#include <string_view>

#include "ascii_case.h"
#include "runtime/int_text.h"
#include "storage/file_replace.h"
#include "storage/storage_errors.h"

namespace storage {
namespace {

constexpr std::string_view kBlanks = " \t";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::string_view Trim(std::string_view text) {
  const std::size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

bool HasLineBreak(std::string_view text) { return text.find_first_of("\r\n") != text.npos; }

// What one line of the file is.
struct Line {
  enum Kind { kOther, kSection, kValue } kind = kOther;
  std::string_view name;     // section or value name, trimmed
  std::size_t value_at = 0;  // offset of the value, for kValue
};

Line Classify(std::string_view line, bool first_line) {
  std::size_t skipped = 0;
  if (first_line && line.starts_with(kByteOrderMark)) skipped = kByteOrderMark.size();
  const std::string_view text = Trim(line.substr(skipped));
  if (text.empty() || text.front() == ';' || text.front() == '#') return {};
  if (text.front() == '[') {
    const std::size_t close = text.find(']');
    if (close == text.npos) return {};
    return {Line::kSection, Trim(text.substr(1, close - 1))};
  }
  const std::size_t equals = line.find('=', skipped);
  if (equals == line.npos) return {};
  return {Line::kValue, Trim(line.substr(skipped, equals - skipped)), equals + 1};
}

void CheckWritable(std::string_view section, std::string_view name, std::string_view value) {
  const auto refuse = [&](std::string_view why) {
    throw EStorageError("Cannot write \"" + std::string(name) + "\" in section \"" +
                        std::string(section) + "\" of an INI file: " + std::string(why));
  };
  if (HasLineBreak(section) || section.find(']') != section.npos || Trim(section) != section) {
    refuse("the section name has a line break, \"]\" or surrounding blanks");
  }
  if (name.empty() || HasLineBreak(name) || name.find('=') != name.npos || Trim(name) != name ||
      name.front() == ';' || name.front() == '#' || name.front() == '[') {
    refuse(
        "the name is empty, has a line break, \"=\" or surrounding blanks, "
        "or starts with \";\", \"#\" or \"[\"");
  }
  if (HasLineBreak(value) || Trim(value) != value) {
    refuse("the value has a line break or surrounding blanks");
  }
}

}  // namespace

TIniFile::TIniFile(std::filesystem::path path) : path_(std::move(path)) {
  const std::optional<std::string> contents = ReadFileIfExists(path_);
  if (!contents) return;
  std::string_view rest = *contents;
  while (!rest.empty()) {
    const std::size_t end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    rest.remove_prefix(end == rest.npos ? rest.size() : end + 1);
    if (line.ends_with('\r')) {
      line.remove_suffix(1);
      crlf_ = true;
    }
    lines_.emplace_back(line);
  }
}

std::optional<std::size_t> TIniFile::FindValue(std::string_view section,
                                               std::string_view name) const {
  bool in_section = false;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    const Line line = Classify(lines_[i], i == 0);
    if (line.kind == Line::kSection) {
      // Only the first section of a name counts.
      if (in_section) return std::nullopt;
      in_section = EqualIgnoringCase(line.name, section);
    } else if (in_section && line.kind == Line::kValue && EqualIgnoringCase(line.name, name)) {
      return i;
    }
  }
  return std::nullopt;
}

std::optional<std::string> TIniFile::Value(std::string_view section, std::string_view name) const {
  const std::optional<std::size_t> at = FindValue(section, name);
  if (!at) return std::nullopt;
  const std::string_view line = lines_[*at];
  return std::string(Trim(line.substr(Classify(line, *at == 0).value_at)));
}

std::string TIniFile::ReadString(std::string_view section, std::string_view name,
                                 std::string_view default_value) const {
  return Value(section, name).value_or(std::string(default_value));
}

std::int32_t TIniFile::ReadInteger(std::string_view section, std::string_view name,
                                   std::int32_t default_value) const {
  const std::optional<std::string> value = Value(section, name);
  if (!value) return default_value;
  return runtime::TryStrToInt(*value).value_or(default_value);
}

void TIniFile::WriteInteger(std::string_view section, std::string_view name, std::int32_t value) {
  WriteString(section, name, std::to_string(value));
}

void TIniFile::WriteString(std::string_view section, std::string_view name,
                           std::string_view value) {
  CheckWritable(section, name, value);
  std::vector<std::string> lines = lines_;
  const std::string entry = std::string(name) + "=" + std::string(value);

  if (const std::optional<std::size_t> at = FindValue(section, name)) {
    std::string& line = lines[*at];
    const std::size_t value_at = Classify(line, *at == 0).value_at;
    if (Trim(std::string_view(line).substr(value_at)) == value) return;
    // Keep the name as the file spells it.
    line = line.substr(0, value_at) + std::string(value);
  } else {
    // After the last value of the first matching section, or a new section.
    std::optional<std::size_t> insert_at;
    bool in_section = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      const Line line = Classify(lines[i], i == 0);
      if (line.kind == Line::kSection) {
        if (in_section) break;
        in_section = EqualIgnoringCase(line.name, section);
        if (in_section) insert_at = i + 1;
      } else if (in_section && line.kind == Line::kValue) {
        insert_at = i + 1;
      }
    }
    if (insert_at) {
      lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(*insert_at), entry);
    } else {
      if (!lines.empty() && !Trim(lines.back()).empty()) lines.emplace_back();
      lines.push_back(std::string("[").append(section).append("]"));
      lines.push_back(entry);
    }
  }
  ReplaceFile(path_, Contents(lines));
  lines_ = std::move(lines);
}

std::string TIniFile::Contents(const std::vector<std::string>& lines) const {
  const std::string_view end = crlf_ ? "\r\n" : "\n";
  std::string contents;
  for (const std::string& line : lines) {
    contents += line;
    contents += end;
  }
  return contents;
}

}  // namespace storage
