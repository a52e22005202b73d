#pragma once
// ostrivel-cli: the listing run driven from the command line. The platform
// files give the entry point, the console and the process's folders.

#include <cstdint>
#include <vector>

#include "core/text.h"

namespace ostrivel::cli {

enum class Stream { Out, Err };

class Console {
 public:
  virtual ~Console() = default;
  // The text as the stream's reader expects it; "\n" ends a line.
  virtual void Write(Stream stream, TextView text) = 0;
  virtual bool IsTerminal(Stream stream) = 0;
};

class Process {
 public:
  virtual ~Process() = default;
  // The executable's folder, ending in the platform's separator.
  virtual Text ExecutableFolder() = 0;
  // The absolute form of a path, which need not exist.
  virtual Text AbsolutePath(const Text& path) = 0;
  virtual Text CurrentDirectory() = 0;
};

inline constexpr int kExitWritten = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

// The arguments without the program name.
int Main(const std::vector<Text>& args, Console& console, Process& process);

}  // namespace ostrivel::cli
