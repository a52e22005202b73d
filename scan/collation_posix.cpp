// Name order on POSIX: an ICU collator for the user's collation locale.

#include <unicode/coll.h>
#include <unicode/locid.h>

#include <cstdlib>
#include <string>

#include "scan/collation.h"

namespace ostrivel {
namespace {

// The locale name the C library would collate by: LC_ALL, LC_COLLATE, LANG,
// the first one set; codeset and modifier dropped ("de_DE.UTF-8@euro" is de_DE).
std::string CollationLocaleName() {
  std::string name;
  for (const char* variable : {"LC_ALL", "LC_COLLATE", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && *value != '\0') {
      name = value;
      break;
    }
  }
  name = name.substr(0, name.find_first_of(".@"));
  if (name == "C" || name == "POSIX") name.clear();
  return name;
}

// Lone surrogates U+DC80..U+DCFF stand for the bytes of a name that is not
// UTF-8. ICU weighs every unpaired surrogate alike, so two such names that
// differ only in those bytes would be equal and one of them could never be
// found again; they are told apart by those units, after everything else.
int CompareByteStandIns(TextView a, TextView b) {
  auto next = [](TextView t, size_t& i) -> int {
    for (; i < t.size(); ++i) {
      const char16_t c = t[i];
      if (c >= 0xD800 && c <= 0xDFFF) {
        const bool pairedHigh =
            c <= 0xDBFF && i + 1 < t.size() && t[i + 1] >= 0xDC00 && t[i + 1] <= 0xDFFF;
        const bool pairedLow = c >= 0xDC00 && i > 0 && t[i - 1] >= 0xD800 && t[i - 1] <= 0xDBFF;
        if (pairedHigh) {
          ++i;
          continue;
        }
        if (!pairedLow) return t[i++];
      }
    }
    return -1;
  };
  size_t i = 0, j = 0;
  for (;;) {
    const int x = next(a, i);
    const int y = next(b, j);
    if (x != y) return x < y ? -1 : 1;
    if (x < 0) return 0;
  }
}

class IcuCollation : public Collation {
 public:
  IcuCollation() {
    UErrorCode status = U_ZERO_ERROR;
    const std::string name = CollationLocaleName();
    collator_.reset(icu::Collator::createInstance(
        name.empty() ? icu::Locale::getRoot() : icu::Locale(name.c_str()), status));
    if (U_FAILURE(status)) {
      status = U_ZERO_ERROR;
      collator_.reset(icu::Collator::createInstance(icu::Locale::getRoot(), status));
    }
    if (!collator_) return;
    // Case (and every other third-level difference) ignored; punctuation and
    // symbols weighed, so that they come before digits and digits before
    // letters; digits one by one, not as numbers.
    collator_->setStrength(icu::Collator::SECONDARY);
    collator_->setAttribute(UCOL_ALTERNATE_HANDLING, UCOL_NON_IGNORABLE, status);
    collator_->setAttribute(UCOL_NUMERIC_COLLATION, UCOL_OFF, status);
    if (U_FAILURE(status)) collator_.reset();
  }

  int Compare(TextView a, TextView b) override {
    if (!collator_) return -2;
    UErrorCode status = U_ZERO_ERROR;
    const UCollationResult r = collator_->compare(
        reinterpret_cast<const UChar*>(a.data()), static_cast<int32_t>(a.size()),
        reinterpret_cast<const UChar*>(b.data()), static_cast<int32_t>(b.size()), status);
    if (U_FAILURE(status)) return -2;
    if (r == UCOL_LESS) return -1;
    if (r == UCOL_GREATER) return 1;
    return CompareByteStandIns(a, b);
  }

 private:
  std::unique_ptr<icu::Collator> collator_;
};

}  // namespace

std::unique_ptr<Collation> MakeUserCollation() { return std::make_unique<IcuCollation>(); }

}  // namespace ostrivel
