#include "key_store_format.h"

#include <optional>

#include "runtime/int_text.h"
#include "storage/storage_errors.h"

namespace storage {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

bool NeedsEscape(unsigned char c) {
  return c < 0x20 || c == 0x7F || c == '%' || c == '=' || c == '[' || c == ']';
}

std::string Escape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (NeedsEscape(c)) {
      out += '%';
      out += kHexDigits[c >> 4];
      out += kHexDigits[c & 0x0F];
    } else {
      out += ch;
    }
  }
  return out;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::optional<std::string> Unescape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out += text[i];
      continue;
    }
    if (i + 2 >= text.size()) return std::nullopt;
    const int high = HexValue(text[i + 1]);
    const int low = HexValue(text[i + 2]);
    if (high < 0 || low < 0) return std::nullopt;
    out += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return out;
}

}  // namespace

std::string FormatKeyStore(const std::vector<StoredKey>& keys) {
  std::string out;
  for (const StoredKey& key : keys) {
    if (!out.empty()) out += '\n';
    out.append("[").append(Escape(key.path)).append("]\n");
    for (const StoredValue& value : key.values) {
      if (const auto* text = std::get_if<std::string>(&value.value)) {
        out += "s:" + Escape(value.name) + "=" + Escape(*text) + "\n";
      } else {
        out += "i:" + Escape(value.name) + "=" +
               std::to_string(std::get<std::int32_t>(value.value)) + "\n";
      }
    }
  }
  return out;
}

std::vector<StoredKey> ParseKeyStore(std::string_view contents, const std::filesystem::path& file) {
  std::vector<StoredKey> keys;
  std::size_t line_number = 0;
  const auto malformed = [&](std::string_view why) {
    throw EStorageError("Malformed key store \"" + file.string() + "\", line " +
                        std::to_string(line_number) + ": " + std::string(why));
  };
  while (!contents.empty()) {
    const std::size_t end = contents.find('\n');
    const std::string_view line = contents.substr(0, end);
    contents.remove_prefix(end == contents.npos ? contents.size() : end + 1);
    ++line_number;
    if (line.empty() || line.front() == ';') continue;

    if (line.front() == '[') {
      if (!line.ends_with(']')) malformed("a key path line must end with \"]\"");
      std::optional<std::string> path = Unescape(line.substr(1, line.size() - 2));
      if (!path) malformed("bad \"%\" escape");
      keys.push_back({std::move(*path), {}});
      continue;
    }
    const std::size_t equals = line.find('=');
    if (line.size() < 2 || (line[0] != 's' && line[0] != 'i') || line[1] != ':' ||
        equals == line.npos) {
      malformed("expected \"[key]\", \"s:name=text\" or \"i:name=integer\"");
    }
    if (keys.empty()) malformed("a value before the first key");
    std::optional<std::string> name = Unescape(line.substr(2, equals - 2));
    std::optional<std::string> text = Unescape(line.substr(equals + 1));
    if (!name || !text) malformed("bad \"%\" escape");
    StoredValue value{std::move(*name), std::move(*text)};
    if (line[0] == 'i') {
      const std::optional<std::int32_t> integer =
          runtime::TryStrToInt(std::get<std::string>(value.value));
      if (!integer) malformed("not a 32-bit integer");
      value.value = *integer;
    }
    keys.back().values.push_back(std::move(value));
  }
  return keys;
}

}  // namespace storage
