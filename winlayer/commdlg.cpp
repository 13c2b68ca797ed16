// Common dialogs, help, beeps, modules and error texts: everything here is
// answered by the UI host or by this system.
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <mutex>
#include <set>
#include <string>

#include "base/paths.h"
#include "window_internal.h"

namespace kswin::detail {
namespace {

thread_local DWORD commonDialogError = 0;

std::mutex moduleLock;
std::set<std::string>& missingLibraries() {
  static std::set<std::string> names;
  return names;
}

std::string upperBaseName(std::string_view name) {
  const size_t slash = name.find_last_of("/\\");
  std::string base(slash == std::string_view::npos ? name : name.substr(slash + 1));
  for (char& c : base) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return base;
}

// Splits a filter list of the platform ("Text (*.TXT)\0*.TXT\0\0").
std::vector<std::pair<std::string, std::string>> splitFilters(const char* list) {
  std::vector<std::pair<std::string, std::string>> filters;
  if (list == nullptr) return filters;
  while (*list != '\0') {
    std::string description = list;
    list += description.size() + 1;
    if (*list == '\0') break;  // a description without its pattern ends the list
    std::string pattern = list;
    list += pattern.size() + 1;
    filters.emplace_back(std::move(description), std::move(pattern));
  }
  return filters;
}

bool isRegularFile(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

BOOL fileDialog(OPENFILENAME* request, bool save) {
  commonDialogError = 0;
  if (request == nullptr || request->lpstrFile == nullptr || request->nMaxFile == 0) {
    commonDialogError = 0xFFFF;  // bad arguments
    return FALSE;
  }
  FileRequest ask;
  ask.save = save;
  ask.owner = request->hwndOwner;
  ask.title = request->lpstrTitle != nullptr ? request->lpstrTitle : (save ? "Save As" : "Open");
  ask.filters = splitFilters(request->lpstrFilter);
  ask.defaultExtension = request->lpstrDefExt != nullptr ? request->lpstrDefExt : "";
  ask.proposedName = request->lpstrFile;
  if (!host().fileDialog(ask) || ask.path.empty()) return FALSE;
  // A name typed without an extension gets the default one.
  std::string path = ask.path;
  const size_t slash = path.find_last_of("/\\");
  const size_t dot = path.rfind('.');
  if (!ask.defaultExtension.empty() && (dot == std::string::npos || (slash != std::string::npos && dot < slash)))
    path += "." + ask.defaultExtension;
  // An open dialog chooses a file that is there: one named without an
  // extension as it is, and a name whose case differs from the file's.
  if (!save && !isRegularFile(path)) {
    if (isRegularFile(ask.path)) {
      path = ask.path;
    } else if (const std::string found = ksbase::mapPath(path); !found.empty() && isRegularFile(found)) {
      path = found;
    }
  }
  if (path.size() + 1 > request->nMaxFile) {
    commonDialogError = 0x3003;  // the buffer is too small
    return FALSE;
  }
  std::strcpy(request->lpstrFile, path.c_str());
  const size_t nameAt = slash == std::string::npos ? 0 : slash + 1;
  const size_t extensionDot = path.rfind('.');
  request->nFileOffset = static_cast<WORD>(nameAt);
  request->nFileExtension = static_cast<WORD>(
      extensionDot == std::string::npos || extensionDot < nameAt ? path.size() : extensionDot + 1);
  if (request->lpstrFileTitle != nullptr && request->nMaxFileTitle > 0)
    copyText(path.substr(nameAt), request->nMaxFileTitle,
             reinterpret_cast<LPARAM>(request->lpstrFileTitle));
  return TRUE;
}

// The PDF file chosen in the last print set-up (printing uses it).
std::mutex printerLock;
std::string setupOutput;

}  // namespace

std::string chosenPrinterOutput() {
  std::lock_guard<std::mutex> guard(printerLock);
  return setupOutput;
}

}  // namespace kswin::detail

namespace kswin {

void setLibraryMissing(std::string_view name, bool missing) {
  std::lock_guard<std::mutex> guard(detail::moduleLock);
  if (missing) detail::missingLibraries().insert(detail::upperBaseName(name));
  else detail::missingLibraries().erase(detail::upperBaseName(name));
}

}  // namespace kswin

extern "C" {

BOOL GetOpenFileName(OPENFILENAME* request) { return kswin::detail::fileDialog(request, false); }
BOOL GetSaveFileName(OPENFILENAME* request) { return kswin::detail::fileDialog(request, true); }

BOOL ChooseColor(CHOOSECOLOR* request) {
  kswin::detail::commonDialogError = 0;
  if (request == nullptr) return FALSE;
  kswin::ColorRequest ask;
  ask.owner = request->hwndOwner;
  ask.initial = request->rgbResult;
  ask.result = request->rgbResult;
  if (!kswin::host().colorDialog(ask)) return FALSE;
  request->rgbResult = ask.result;
  return TRUE;
}

BOOL PrintDlg(PRINTDLG* request) {
  kswin::detail::commonDialogError = 0;
  if (request == nullptr) return FALSE;
  kswin::PrintRequest ask;
  ask.owner = request->hwndOwner;
  ask.setup = (request->Flags & PD_PRINTSETUP) != 0;
  ask.output = kswin::detail::chosenPrinterOutput();
  if (!kswin::host().printDialog(ask) || ask.output.empty()) return FALSE;
  {
    std::lock_guard<std::mutex> guard(kswin::detail::printerLock);
    kswin::detail::setupOutput = ask.output;
  }
  // hDevNames only tells the caller a printer was chosen; its file is kept here.
  request->hDevNames = &kswin::detail::setupOutput;
  request->hDC = nullptr;
  if (!ask.setup && (request->Flags & PD_RETURNDC)) {
    request->hDC = CreateDC(nullptr, "Kestrel PDF", ask.output.c_str(), nullptr);
    if (request->hDC == nullptr) {
      kswin::detail::commonDialogError = 0x1009;  // the printer could not be made
      return FALSE;
    }
  }
  return TRUE;
}

DWORD CommDlgExtendedError(void) { return kswin::detail::commonDialogError; }

BOOL WinHelp(HWND, const char* file, UINT command, uintptr_t data) {
  const char* keyword = command == HELP_KEY && data != 0 ? reinterpret_cast<const char*>(data) : "";
  kswin::host().help(file != nullptr ? file : "", command, keyword);
  return TRUE;
}

BOOL MessageBeep(UINT) {
  kswin::host().beep();
  return TRUE;
}

HMODULE LoadLibrary(const char* name) {
  if (name == nullptr) return nullptr;
  std::lock_guard<std::mutex> guard(kswin::detail::moduleLock);
  const std::string base = kswin::detail::upperBaseName(name);
  if (kswin::detail::missingLibraries().count(base) != 0) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  static int anchor;
  return &anchor;  // every library is already linked in
}

BOOL FreeLibrary(HMODULE module) { return module != nullptr ? TRUE : FALSE; }

DWORD GetModuleFileName(HMODULE, char* buffer, DWORD size) {
  if (buffer == nullptr || size == 0) return 0;
  char path[4096];
  const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) {
    buffer[0] = '\0';
    return 0;
  }
  path[length] = '\0';
  return static_cast<DWORD>(kswin::detail::copyText(path, size, reinterpret_cast<LPARAM>(buffer)));
}

DWORD FormatMessage(DWORD flags, const void*, DWORD code, DWORD, char* buffer, DWORD size,
                    void*) {
  if (!(flags & FORMAT_MESSAGE_FROM_SYSTEM) || buffer == nullptr || size == 0) return 0;
  const char* text = nullptr;
  switch (code) {
    case ERROR_SUCCESS: text = "The operation completed successfully.\r\n"; break;
    case ERROR_FILE_NOT_FOUND: text = "The system cannot find the file specified.\r\n"; break;
    case ERROR_NOT_ENOUGH_MEMORY:
      text = "Not enough storage is available to process this command.\r\n";
      break;
    case ERROR_INVALID_PARAMETER: text = "The parameter is incorrect.\r\n"; break;
    case ERROR_MOD_NOT_FOUND: text = "The specified module could not be found.\r\n"; break;
    case ERROR_INVALID_WINDOW_HANDLE: text = "Invalid window handle.\r\n"; break;
    case ERROR_CANNOT_FIND_WND_CLASS: text = "Cannot find window class.\r\n"; break;
    case ERROR_CLASS_ALREADY_EXISTS: text = "Class already exists.\r\n"; break;
    default: break;
  }
  std::string fallback;
  if (text == nullptr) {
    fallback = "Error " + std::to_string(code) + ".\r\n";
    text = fallback.c_str();
  }
  return static_cast<DWORD>(kswin::detail::copyText(text, size, reinterpret_cast<LPARAM>(buffer)));
}

}  // extern "C"
