#pragma once
// The pure parts of the POSIX text-file back end, open to its tests.

#include <cstdint>

#include "core/text.h"

namespace ostrivel {

// errno to the Windows error code that means the same; an errno without one
// is carried as a customer-defined code so that its own text survives.
uint32_t CodeFromErrno(int errnoValue);
// The strerror text for a code made by CodeFromErrno.
Text TextOfCode(uint32_t code);
// `path` made absolute against the folder `base` and normalised lexically
// ("." and ".." parts resolved, repeated separators collapsed), the way
// GetFullPathNameW works on a path without touching the file system.
Text AbsolutePath(const Text& base, const Text& path);

}  // namespace ostrivel
