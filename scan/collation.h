#pragma once
#include <memory>

#include "core/text.h"

namespace ostrivel {

// The comparison behind name order: the user's locale, case ignored.
class Collation {
 public:
  virtual ~Collation() = default;
  // Negative when a comes first, 0 when equal, positive when b comes first.
  virtual int Compare(TextView a, TextView b) = 0;
};

// The user's collation (CompareStringW on Windows, ICU on POSIX).
std::unique_ptr<Collation> MakeUserCollation();

}  // namespace ostrivel
