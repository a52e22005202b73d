#pragma once
// What the temporary trees need of each platform.

#include <filesystem>

#include "core/text.h"

namespace ostrivel::testing {

std::filesystem::path NativePath(const Text& path);
Text PathText(const std::filesystem::path& path);
bool MakeLink(const Text& link, const Text& target, bool toDirectory);
bool SetEntryWriteTime(const Text& path, uint64_t fileTime);

}  // namespace ostrivel::testing
