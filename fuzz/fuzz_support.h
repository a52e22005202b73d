#pragma once
// Small helpers shared by the fuzz targets: a check that stops the run with a
// message libFuzzer keeps beside the crashing input, and readers of text out
// of the fuzzer's bytes.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>

#include "core/text.h"

namespace ostrivel::fuzzing {

[[noreturn]] inline void Fail(const char* file, int line, const char* what,
                              const std::string& detail) {
  std::fprintf(stderr, "%s:%d: check failed: %s\n%s\n", file, line, what, detail.c_str());
  std::abort();
}

#define FUZZ_CHECK(condition, detail)                                                    \
  do {                                                                                   \
    if (!(condition)) ::ostrivel::fuzzing::Fail(__FILE__, __LINE__, #condition, detail); \
  } while (0)

// Text for a message: UTF-8 where it can be, every unit that is not printable
// ASCII as \uXXXX.
inline std::string Show(TextView text) {
  std::string out;
  for (char16_t c : text) {
    if (c >= 0x20 && c < 0x7F && c != u'\\') {
      out += static_cast<char>(c);
    } else {
      char buffer[8];
      std::snprintf(buffer, sizeof buffer, "\\u%04X", static_cast<unsigned>(c));
      out += buffer;
    }
  }
  return out;
}

// Up to `maxUnits` UTF-16 units, two bytes each, low byte first.
inline Text ConsumeUtf16(FuzzedDataProvider& in, size_t maxUnits) {
  const std::string bytes = in.ConsumeRandomLengthString(maxUnits * 2);
  Text text;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    text.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                         (static_cast<unsigned char>(bytes[i + 1]) << 8)));
  }
  return text;
}

// Text that seeds can spell: a byte below 0x80 is that ASCII character, a
// byte from 0x80 picks one of `extras` (whole texts, such as a surrogate pair
// or a combining mark), and the byte 0xFF takes the next two bytes as a raw
// UTF-16 unit, low byte first.
inline Text ConsumeText(FuzzedDataProvider& in, size_t maxBytes, std::span<const TextView> extras) {
  const std::string bytes = in.ConsumeRandomLengthString(maxBytes);
  Text text;
  for (size_t i = 0; i < bytes.size(); ++i) {
    const unsigned char b = static_cast<unsigned char>(bytes[i]);
    if (b < 0x80) {
      text.push_back(b);
    } else if (b == 0xFF && i + 2 < bytes.size()) {
      text.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i + 1]) |
                                           (static_cast<unsigned char>(bytes[i + 2]) << 8)));
      i += 2;
    } else if (extras.size() != 0) {
      text.append(extras[(b - 0x80) % extras.size()]);
    } else {
      text.push_back(b);
    }
  }
  return text;
}

}  // namespace ostrivel::fuzzing
