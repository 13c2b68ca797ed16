// Where the suite's Windows-style names live on this system.
#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <string>
#include <vector>

#include "paths.h"

namespace ksbase {
namespace {

bool exists(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0;
}

// The entry of `directory` whose name equals `name` without regard to case;
// the exact name when it exists or nothing matches.
std::string join(const std::string& directory, const std::string& name) {
  if (directory.empty()) return name;
  return directory.back() == '/' ? directory + name : directory + "/" + name;
}

std::string matchEntry(const std::string& directory, const std::string& name) {
  const std::string exact = join(directory, name);
  if (name == "." || name == ".." || exists(exact)) return exact;
  DIR* dir = ::opendir(directory.empty() ? "." : directory.c_str());
  if (dir == nullptr) return exact;
  std::string found;
  while (const dirent* entry = ::readdir(dir)) {
    if (::strcasecmp(entry->d_name, name.c_str()) == 0) {
      found = entry->d_name;
      break;
    }
  }
  ::closedir(dir);
  return found.empty() ? exact : join(directory, found);
}

}  // namespace

std::string driveRoot(char letter) {
  const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
  if (upper < 'C' || upper > 'Z') return {};
  const std::string variable = std::string("KESTREL_DRIVE_") + upper;
  const char* root = std::getenv(variable.c_str());
  if (root == nullptr || root[0] == '\0') return {};
  std::string text = root;
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  return text;
}

std::string mapPath(std::string_view name) {
  if (name.empty()) return {};
  std::string rest(name);
  for (char& c : rest)
    if (c == '\\') c = '/';

  std::string base;  // what the components are resolved against; "" = current directory
  if (rest.size() >= 2 && rest[1] == ':' && std::isalpha(static_cast<unsigned char>(rest[0]))) {
    base = driveRoot(rest[0]);
    if (base.empty()) return {};
    rest.erase(0, 2);
  } else if (!rest.empty() && rest[0] == '/') {
    base = "/";
  }

  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= rest.size()) {
    size_t end = rest.find('/', start);
    if (end == std::string::npos) end = rest.size();
    if (end > start) parts.push_back(rest.substr(start, end - start));
    start = end + 1;
  }
  const bool trailingSlash = !rest.empty() && rest.back() == '/';

  std::string path = base;
  for (const std::string& part : parts) path = matchEntry(path, part);
  if (path.empty()) return base.empty() ? "." : base;
  if (trailingSlash && path.back() != '/') path += '/';
  return path;
}

std::string settingsDirectory() {
  const char* home = std::getenv("KESTREL_HOME");
  if (home != nullptr && home[0] != '\0') return home;
  const char* user = std::getenv("HOME");
  return std::string(user != nullptr && user[0] != '\0' ? user : ".") + "/.kestrel";
}

std::string dataDirectory() {
  const char* data = std::getenv("KESTREL_DATA");
  if (data != nullptr && data[0] != '\0') return data;
  char self[4096];
  const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
  if (length <= 0) return "share/kestrel";
  std::string program(self, static_cast<std::size_t>(length));
  const std::size_t slash = program.rfind('/');
  const std::string bin = slash == std::string::npos ? "." : program.substr(0, slash);
  return bin + "/../share/kestrel";
}

std::string profilePath(std::string_view name) {
  const bool hasDirectory = name.find_first_of("/\\:") != std::string_view::npos;
  if (hasDirectory) return mapPath(name);
  return mapPath(settingsDirectory() + "/" + std::string(name));
}

}  // namespace ksbase
