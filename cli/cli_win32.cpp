// ostrivel-cli on Windows: UTF-16 arguments (wmain); a console is written with
// WriteConsoleW, a pipe or file with UTF-8 bytes, since the C runtime's wide
// output drops non-ASCII text there.

#include "core/windows.h"

#include <algorithm>
#include <string>
#include <vector>

#include "cli/cli.h"

namespace ostrivel::cli {
namespace {

HANDLE HandleOf(Stream stream) {
  return GetStdHandle(stream == Stream::Out ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
}

bool IsConsole(HANDLE handle) {
  DWORD mode = 0;
  return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode);
}

const wchar_t* Wide(const Text& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

class WindowsConsole : public Console {
 public:
  void Write(Stream stream, TextView text) override {
    HANDLE handle = HandleOf(stream);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return;
    if (IsConsole(handle)) {
      const Text copy(text);
      size_t done = 0;
      while (done < copy.size()) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(copy.size() - done, 16384));
        if (!WriteConsoleW(handle, Wide(copy) + done, chunk, &written, nullptr) || written == 0) {
          return;
        }
        done += written;
      }
      return;
    }
    // Text for pipes and files ends its lines with CR LF, as Windows programs do.
    Text crlf;
    crlf.reserve(text.size() + 8);
    for (char16_t c : text) {
      if (c == u'\n') crlf.push_back(u'\r');
      crlf.push_back(c);
    }
    const std::string bytes = ToUtf8Lossless(crlf);
    size_t done = 0;
    while (done < bytes.size()) {
      DWORD written = 0;
      if (!WriteFile(handle, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &written,
                     nullptr) ||
          written == 0) {
        return;
      }
      done += written;
    }
  }
  bool IsTerminal(Stream stream) override { return IsConsole(HandleOf(stream)); }
};

class WindowsProcess : public Process {
 public:
  Text ExecutableFolder() override {
    Text path(MAX_PATH, u'\0');
    for (;;) {
      const DWORD n = GetModuleFileNameW(nullptr, reinterpret_cast<wchar_t*>(path.data()),
                                         static_cast<DWORD>(path.size()));
      if (n == 0) return CurrentDirectory() + u"\\";
      if (n < path.size()) {
        path.resize(n);
        break;
      }
      path.resize(path.size() * 2);
    }
    return path.substr(0, path.find_last_of(u"\\/") + 1);
  }

  Text AbsolutePath(const Text& path) override {
    const DWORD n = GetFullPathNameW(Wide(path), 0, nullptr, nullptr);
    if (n == 0) return path;
    Text full(n, u'\0');
    const DWORD m =
        GetFullPathNameW(Wide(path), n, reinterpret_cast<wchar_t*>(full.data()), nullptr);
    if (m == 0 || m >= n) return path;
    full.resize(m);
    return full;
  }

  Text CurrentDirectory() override {
    const DWORD n = GetCurrentDirectoryW(0, nullptr);
    if (n == 0) return u".";
    Text dir(n, u'\0');
    const DWORD m = GetCurrentDirectoryW(n, reinterpret_cast<wchar_t*>(dir.data()));
    if (m == 0 || m >= n) return u".";
    dir.resize(m);
    return dir;
  }
};

}  // namespace
}  // namespace ostrivel::cli

int wmain(int argc, wchar_t** argv) {
  std::vector<ostrivel::Text> args;
  for (int i = 1; i < argc; ++i) args.emplace_back(reinterpret_cast<const char16_t*>(argv[i]));
  ostrivel::cli::WindowsConsole console;
  ostrivel::cli::WindowsProcess process;
  return ostrivel::cli::Main(args, console, process);
}
