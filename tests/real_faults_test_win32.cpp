// A Windows program cannot mount a file system: under Wine the small disk
// comes from tests/real_faults_wine.sh (OSTRIVEL_SMALL_DISK).

#include "tests/real_faults.h"

namespace ostrivel::testing {

std::unique_ptr<SmallDisk> SmallDisk::Mount(const Text&) { return nullptr; }
SmallDisk::~SmallDisk() = default;

}  // namespace ostrivel::testing
