// Name order on Windows: CompareStringW of the user's locale, case ignored.

#include <climits>

#include "core/windows.h"
#include "scan/collation.h"

namespace ostrivel {
namespace {

class WindowsCollation : public Collation {
 public:
  int Compare(TextView a, TextView b) override {
    if (a.size() > INT_MAX || b.size() > INT_MAX) return -2;
    // CompareStringW refuses a null pointer even with a length of 0.
    if (a.data() == nullptr) a = u"";
    if (b.data() == nullptr) b = u"";
    const int r =
        CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE,
                       reinterpret_cast<const wchar_t*>(a.data()), static_cast<int>(a.size()),
                       reinterpret_cast<const wchar_t*>(b.data()), static_cast<int>(b.size()));
    // CSTR_LESS_THAN 1, CSTR_EQUAL 2, CSTR_GREATER_THAN 3; 0 when it fails.
    return r - CSTR_EQUAL;
  }
};

}  // namespace

std::unique_ptr<Collation> MakeUserCollation() { return std::make_unique<WindowsCollation>(); }

}  // namespace ostrivel
