#pragma once
// Text in the core is UTF-16, so Windows calls and ICU take it as it is.

#include <cstdint>
#include <string>
#include <string_view>

namespace ostrivel {

using Text = std::u16string;
using TextView = std::u16string_view;

// UTF-8 to UTF-16. A byte that is not part of well-formed UTF-8 becomes the
// lone surrogate U+DC00 + byte (U+DC80 to U+DCFF), so that a POSIX file name
// that is not UTF-8 comes back to the very same bytes in ToUtf8Lossless.
Text FromUtf8Lossless(std::string_view bytes);
// The same into `out`, whose room is reused: a loop over many names
// allocates only when one outgrows the last.
void FromUtf8Lossless(std::string_view bytes, Text& out);

// UTF-16 to UTF-8. The lone surrogates U+DC80 to U+DCFF become the bytes they
// stand for; any other lone surrogate becomes U+FFFD.
std::string ToUtf8Lossless(TextView text);
// The same into `out`, whose room is reused.
void ToUtf8Lossless(TextView text, std::string& out);

// Shorthands for literals and messages.
inline Text U(std::string_view utf8) { return FromUtf8Lossless(utf8); }
inline std::string Utf8(TextView text) { return ToUtf8Lossless(text); }

// Plain decimal digits, "-" before a negative value, no grouping.
Text Decimal(int64_t value);

// Every occurrence of `from` replaced by `to`, left to right, non-overlapping;
// the inserted text is not scanned again. An empty `from` changes nothing.
Text ReplaceAll(TextView text, TextView from, TextView to);

}  // namespace ostrivel
