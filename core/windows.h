#pragma once
// The one place that includes <windows.h>; the build defines UNICODE,
// WIN32_LEAN_AND_MEAN, NOMINMAX and the target version first.
#include <windows.h>
