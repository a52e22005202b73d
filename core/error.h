#pragma once
#include <exception>
#include <string>

#include "core/text.h"

namespace ostrivel {

// A failure with a message text. Every failure the core raises is one of these.
class Error : public std::exception {
 public:
  explicit Error(Text message) : message_(std::move(message)), utf8_(Utf8(message_)) {}
  const Text& Message() const noexcept { return message_; }
  const char* what() const noexcept override { return utf8_.c_str(); }

 private:
  Text message_;
  std::string utf8_;
};

}  // namespace ostrivel
