#pragma once
// The string list every part of the run shares: ordered lines, the list text
// (every line followed by CR LF), and the file encoding set by a load.

#include <cstdint>
#include <optional>
#include <vector>

#include "core/text.h"

namespace ostrivel {

enum class TextEncoding { SystemCodePage, Utf8, Utf16LE, Utf16BE };

class StringList {
 public:
  int32_t Count() const { return static_cast<int32_t>(lines_.size()); }
  const Text& operator[](int32_t index) const { return lines_[static_cast<size_t>(index)]; }
  void Add(Text line) { lines_.push_back(std::move(line)); }
  void Clear() { lines_.clear(); }
  std::vector<Text>& Lines() { return lines_; }
  const std::vector<Text>& Lines() const { return lines_; }

  // Join: every line followed by CR LF.
  Text GetText() const;
  // Split at CR LF, a lone CR or a lone LF; U+0000 ends the text.
  void SetText(TextView text);

  // Set by every load; unset on a new list (saving then uses the system code page).
  std::optional<TextEncoding> fileEncoding;

 private:
  std::vector<Text> lines_;
};

}  // namespace ostrivel
