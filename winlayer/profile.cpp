// Private profile files ("KESTREL.INI" and the editors' files) with the
// platform's rules: sections and keys without regard to case, the first of
// duplicate sections or keys wins, values trimmed and unquoted, integers by
// their leading digits, and writes that keep every other line as it was.
// A file named without a directory lives in the settings directory.
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "base/paths.h"
#include "host.h"

namespace kswin::detail {
namespace {

constexpr const char* kBlanks = " \t";

std::string_view trim(std::string_view text) {
  const size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  const size_t last = text.find_last_not_of(kBlanks);
  return text.substr(first, last - first + 1);
}

bool sameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && ::strncasecmp(a.data(), b.data(), a.size()) == 0;
}

// A profile file as lines, so that a write can keep everything it does not
// touch.
struct ProfileText {
  std::vector<std::string> lines;
  bool crlf = false;  // the file's own line ends, kept on rewrite

  bool load(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return false;
    std::string text;
    char buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, got);
    std::fclose(file);
    size_t start = 0;
    while (start < text.size()) {
      size_t end = text.find('\n', start);
      if (end == std::string::npos) end = text.size();
      std::string line = text.substr(start, end - start);
      if (!line.empty() && line.back() == '\r') {
        line.pop_back();
        crlf = true;
      }
      lines.push_back(std::move(line));
      start = end + 1;
    }
    return true;
  }

  // The name of a section header line, or nothing for other lines.
  static std::optional<std::string_view> sectionName(std::string_view line) {
    line = trim(line);
    if (line.empty() || line[0] != '[') return std::nullopt;
    line.remove_prefix(1);
    const size_t close = line.find(']');
    return trim(close == std::string_view::npos ? line : line.substr(0, close));
  }

  // The key of a key line; comments and other lines have none.
  static std::optional<std::string_view> keyName(std::string_view line) {
    const std::string_view trimmed = trim(line);
    if (trimmed.empty() || trimmed[0] == ';' || trimmed[0] == '#' || trimmed[0] == '[')
      return std::nullopt;
    const size_t equals = trimmed.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    const std::string_view key = trim(trimmed.substr(0, equals));
    if (key.empty()) return std::nullopt;
    return key;
  }

  static std::string valueOf(std::string_view line) {
    std::string_view value = trim(line.substr(line.find('=') + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
      value = value.substr(1, value.size() - 2);
    return std::string(value);
  }

  // The line range [begin, end) of the first section named `name`: begin is
  // its header line.
  std::optional<std::pair<size_t, size_t>> section(std::string_view name) const {
    for (size_t i = 0; i < lines.size(); ++i) {
      const auto header = sectionName(lines[i]);
      if (!header || !sameName(*header, name)) continue;
      size_t end = i + 1;
      while (end < lines.size() && !sectionName(lines[end])) ++end;
      return std::make_pair(i, end);
    }
    return std::nullopt;
  }

  std::optional<size_t> key(std::pair<size_t, size_t> range, std::string_view name) const {
    for (size_t i = range.first + 1; i < range.second; ++i) {
      const auto key = keyName(lines[i]);
      if (key && sameName(*key, name)) return i;
    }
    return std::nullopt;
  }

  std::vector<std::string> sectionNames() const {
    std::vector<std::string> names;
    for (const std::string& line : lines)
      if (const auto name = sectionName(line)) names.emplace_back(*name);
    return names;
  }

  std::vector<std::string> keyNames(std::pair<size_t, size_t> range) const {
    std::vector<std::string> names;
    for (size_t i = range.first + 1; i < range.second; ++i)
      if (const auto key = keyName(lines[i])) names.emplace_back(*key);
    return names;
  }

  // Writes the lines to `path` through a temporary file and a rename, so a
  // crash never leaves half a settings file.
  bool save(const std::string& path) const {
    const size_t slash = path.rfind('/');
    if (slash != std::string::npos && slash > 0) makeDirectories(path.substr(0, slash));
    const std::string temporary = path + ".tmp" + std::to_string(::getpid());
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (file == nullptr) return false;
    const char* eol = crlf ? "\r\n" : "\n";
    bool ok = true;
    for (const std::string& line : lines)
      ok = ok && std::fputs(line.c_str(), file) >= 0 && std::fputs(eol, file) >= 0;
    ok = (std::fclose(file) == 0) && ok;
    if (ok && std::rename(temporary.c_str(), path.c_str()) == 0) return true;
    std::remove(temporary.c_str());
    return false;
  }

  static void makeDirectories(const std::string& directory) {
    for (size_t at = directory.find('/', 1);; at = directory.find('/', at + 1)) {
      ::mkdir(directory.substr(0, at).c_str(), 0777);
      if (at == std::string::npos) break;
    }
  }
};

// Copies `text` into the caller's buffer, cut to fit; returns the characters
// copied without the terminator.
DWORD copyOut(std::string_view text, char* buffer, DWORD size) {
  const size_t count = std::min<size_t>(text.size(), size - 1);
  std::memcpy(buffer, text.data(), count);
  buffer[count] = '\0';
  return static_cast<DWORD>(count);
}

// Copies names as a list of terminated strings ending with an empty one. A
// list cut to fit still ends with two terminators and returns size - 2.
DWORD copyList(const std::vector<std::string>& names, char* buffer, DWORD size) {
  std::string packed;
  for (const std::string& name : names) packed.append(name).push_back('\0');
  if (packed.size() + 1 <= size) {
    std::memcpy(buffer, packed.data(), packed.size());
    buffer[packed.size()] = '\0';
    return static_cast<DWORD>(packed.size());
  }
  if (size < 2) {
    buffer[0] = '\0';
    return 0;
  }
  std::memcpy(buffer, packed.data(), size - 2);
  buffer[size - 2] = '\0';
  buffer[size - 1] = '\0';
  return size - 2;
}

bool hasLineBreak(const char* text) {
  return text != nullptr && std::strpbrk(text, "\r\n") != nullptr;
}

}  // namespace
}  // namespace kswin::detail

using kswin::detail::ProfileText;

extern "C" {

DWORD GetPrivateProfileString(const char* section, const char* key, const char* fallback,
                              char* buffer, DWORD size, const char* fileName) {
  if (buffer == nullptr || size == 0) return 0;
  ProfileText text;
  text.load(ksbase::profilePath(fileName != nullptr ? fileName : "WIN.INI"));
  if (section == nullptr) return kswin::detail::copyList(text.sectionNames(), buffer, size);
  const auto range = text.section(section);
  if (key == nullptr)
    return kswin::detail::copyList(range ? text.keyNames(*range) : std::vector<std::string>{},
                                   buffer, size);
  if (range) {
    if (const auto line = text.key(*range, key))
      return kswin::detail::copyOut(ProfileText::valueOf(text.lines[*line]), buffer, size);
  }
  // The default loses its trailing blanks, as the platform does.
  std::string_view value = fallback != nullptr ? fallback : "";
  while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) value.remove_suffix(1);
  return kswin::detail::copyOut(value, buffer, size);
}

UINT GetPrivateProfileInt(const char* section, const char* key, int fallback,
                          const char* fileName) {
  if (section == nullptr || key == nullptr) return static_cast<UINT>(fallback);
  char value[64];
  if (GetPrivateProfileString(section, key, "", value, sizeof value, fileName) == 0)
    return static_cast<UINT>(fallback);
  // The leading digits after an optional sign; none gives 0.
  const char* p = value;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = (*p++ == '-');
  long long number = 0;
  while (*p >= '0' && *p <= '9') {
    number = number * 10 + (*p++ - '0');
    if (number > static_cast<long long>(INT_MAX) + 1) number = static_cast<long long>(INT_MAX) + 1;
  }
  if (negative) number = -number;
  if (number > INT_MAX) number = INT_MAX;
  return static_cast<UINT>(static_cast<int>(number));
}

BOOL WritePrivateProfileString(const char* section, const char* key, const char* value,
                               const char* fileName) {
  if (section == nullptr || section[0] == '\0' || std::strchr(section, ']') != nullptr ||
      kswin::detail::hasLineBreak(section) || kswin::detail::hasLineBreak(key) ||
      kswin::detail::hasLineBreak(value) || (key != nullptr && std::strchr(key, '=') != nullptr))
    return FALSE;
  const std::string path = ksbase::profilePath(fileName != nullptr ? fileName : "WIN.INI");
  if (path.empty()) return FALSE;
  ProfileText text;
  text.load(path);
  const auto range = text.section(section);

  if (key == nullptr) {  // delete the whole section
    if (!range) return TRUE;
    text.lines.erase(text.lines.begin() + static_cast<long>(range->first),
                     text.lines.begin() + static_cast<long>(range->second));
    return text.save(path) ? TRUE : FALSE;
  }
  const auto line = range ? text.key(*range, key) : std::nullopt;
  if (value == nullptr) {  // delete the key
    if (!line) return TRUE;
    text.lines.erase(text.lines.begin() + static_cast<long>(*line));
    return text.save(path) ? TRUE : FALSE;
  }
  if (line) {
    // Keep the key as the file spells it; only the value changes.
    text.lines[*line] = std::string(*ProfileText::keyName(text.lines[*line])) + "=" + value;
  } else if (range) {
    size_t at = range->second;  // after the section's last non-blank line
    while (at > range->first + 1 && kswin::detail::trim(text.lines[at - 1]).empty()) --at;
    text.lines.insert(text.lines.begin() + static_cast<long>(at), std::string(key) + "=" + value);
  } else {
    if (!text.lines.empty() && !kswin::detail::trim(text.lines.back()).empty())
      text.lines.emplace_back();
    text.lines.push_back(std::string("[") + section + "]");
    text.lines.push_back(std::string(key) + "=" + value);
  }
  return text.save(path) ? TRUE : FALSE;
}

DWORD GetProfileString(const char* section, const char* key, const char* fallback,
                       char* buffer, DWORD size) {
  return GetPrivateProfileString(section, key, fallback, buffer, size, "WIN.INI");
}

}  // extern "C"
