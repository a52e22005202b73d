// ostrivel-cli on POSIX: arguments and output are bytes, taken and written as
// UTF-8, with names that are not UTF-8 kept byte for byte.

#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "cli/cli.h"

namespace ostrivel::cli {
namespace {

class PosixConsole : public Console {
 public:
  void Write(Stream stream, TextView text) override {
    const std::string bytes = ToUtf8Lossless(text);
    const int fd = stream == Stream::Out ? STDOUT_FILENO : STDERR_FILENO;
    size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return;
      done += static_cast<size_t>(n);
    }
  }
  bool IsTerminal(Stream stream) override {
    return ::isatty(stream == Stream::Out ? STDOUT_FILENO : STDERR_FILENO) == 1;
  }
};

class PosixProcess : public Process {
 public:
  Text ExecutableFolder() override {
    std::string path(4096, '\0');
    ssize_t n = ::readlink("/proc/self/exe", path.data(), path.size());
    if (n <= 0) return CurrentDirectory() + u"/";
    path.resize(static_cast<size_t>(n));
    return FromUtf8Lossless(path.substr(0, path.rfind('/') + 1));
  }

  // Made absolute against the current directory; "." and ".." and doubled
  // separators are resolved by name, as GetFullPathNameW does on Windows.
  Text AbsolutePath(const Text& path) override {
    const Text joined = !path.empty() && path[0] == u'/' ? path : CurrentDirectory() + u"/" + path;
    std::vector<Text> parts;
    size_t start = 0;
    while (start <= joined.size()) {
      size_t end = joined.find(u'/', start);
      if (end == Text::npos) end = joined.size();
      const Text part = joined.substr(start, end - start);
      if (part == u"..") {
        if (!parts.empty()) parts.pop_back();
      } else if (!part.empty() && part != u".") {
        parts.push_back(part);
      }
      start = end + 1;
    }
    Text result;
    for (const Text& part : parts) result += u"/" + part;
    return result.empty() ? Text(u"/") : result;
  }

  Text CurrentDirectory() override {
    std::string buffer(4096, '\0');
    while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
      if (errno != ERANGE) return u".";
      buffer.resize(buffer.size() * 2);
    }
    return FromUtf8Lossless(buffer.c_str());
  }
};

}  // namespace
}  // namespace ostrivel::cli

int main(int argc, char** argv) {
  std::vector<ostrivel::Text> args;
  for (int i = 1; i < argc; ++i) args.push_back(ostrivel::FromUtf8Lossless(argv[i]));
  ostrivel::cli::PosixConsole console;
  ostrivel::cli::PosixProcess process;
  return ostrivel::cli::Main(args, console, process);
}
