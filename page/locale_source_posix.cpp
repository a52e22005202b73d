#include "page/locale_source.h"

namespace ostrivel {
namespace {

// Not yet read from the platform: every item falls back to its default.
class DefaultLocaleSource final : public LocaleSource {
 public:
  uint32_t ThreadLocale() override { return kEnglishUnitedStates; }
  void SetThreadLocale(uint32_t) override {}
  bool IsValidLocale(uint32_t) override { return true; }
  bool LocaleInfo(uint32_t, uint32_t, Text&) override { return false; }
  bool AltCalendarDateText(int, int, int, TextView, Text&) override { return false; }
};

}  // namespace

LocaleSource& SystemLocaleSource() {
  static DefaultLocaleSource source;
  return source;
}

}  // namespace ostrivel
