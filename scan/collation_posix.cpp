// Name order on POSIX: an ICU collator for the user's collation locale.

#include <unicode/coll.h>
#include <unicode/locid.h>

#include <cstdint>
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
    if (!collator_ || a.size() > INT32_MAX || b.size() > INT32_MAX) return -2;
    UErrorCode status = U_ZERO_ERROR;
    const UCollationResult r = collator_->compare(
        reinterpret_cast<const UChar*>(a.data()), static_cast<int32_t>(a.size()),
        reinterpret_cast<const UChar*>(b.data()), static_cast<int32_t>(b.size()), status);
    // Unpaired surrogates (the odd bytes of a name that is not UTF-8) get
    // weights of their own, so such names stay apart.
    if (U_FAILURE(status)) return -2;
    return r == UCOL_LESS ? -1 : (r == UCOL_GREATER ? 1 : 0);
  }

 private:
  std::unique_ptr<icu::Collator> collator_;
};

}  // namespace

std::unique_ptr<Collation> MakeUserCollation() { return std::make_unique<IcuCollation>(); }

}  // namespace ostrivel
