// The regional settings as Windows keeps them for the thread's locale.

#include <vector>

#include "core/windows.h"
#include "page/locale_source.h"

namespace ostrivel {
namespace {

static_assert(kLocaleSDate == LOCALE_SDATE && kLocaleSTime == LOCALE_STIME);
static_assert(kLocaleSShortDate == LOCALE_SSHORTDATE && kLocaleSLongDate == LOCALE_SLONGDATE);
static_assert(kLocaleITime == LOCALE_ITIME && kLocaleITLZero == LOCALE_ITLZERO);
static_assert(kLocaleITimeMarkPosn == LOCALE_ITIMEMARKPOSN);
static_assert(kLocaleICalendarType == LOCALE_ICALENDARTYPE);
static_assert(kLocaleS1159 == LOCALE_S1159 && kLocaleS2359 == LOCALE_S2359);
static_assert(kLocaleSDayName1 == LOCALE_SDAYNAME1 &&
              kLocaleSAbbrevDayName1 == LOCALE_SABBREVDAYNAME1);
static_assert(kLocaleSMonthName1 == LOCALE_SMONTHNAME1 &&
              kLocaleSAbbrevMonthName1 == LOCALE_SABBREVMONTHNAME1);
static_assert(kLocaleSTimeFormat == LOCALE_STIMEFORMAT);
static_assert(kLocaleUserDefault == LOCALE_USER_DEFAULT);

// The buffer GetDateFormatW is given for an era name or era year.
constexpr int kEraBuffer = 256;

class Win32LocaleSource final : public LocaleSource {
 public:
  uint32_t ThreadLocale() override { return ::GetThreadLocale(); }
  void SetThreadLocale(uint32_t lcid) override { ::SetThreadLocale(lcid); }
  bool IsValidLocale(uint32_t lcid) override { return ::IsValidLocale(lcid, LCID_INSTALLED); }

  bool LocaleInfo(uint32_t lcid, uint32_t item, Text& value) override {
    const int size = ::GetLocaleInfoW(lcid, item, nullptr, 0);
    if (size <= 0) return false;
    std::vector<wchar_t> buffer(static_cast<size_t>(size));
    const int written = ::GetLocaleInfoW(lcid, item, buffer.data(), size);
    if (written <= 0) return false;
    value.assign(reinterpret_cast<const char16_t*>(buffer.data()),
                 static_cast<size_t>(written - 1));
    return true;
  }

  bool AltCalendarDateText(int year, int month, int day, TextView picture, Text& text) override {
    SYSTEMTIME date{};
    date.wYear = static_cast<WORD>(year);
    date.wMonth = static_cast<WORD>(month);
    date.wDay = static_cast<WORD>(day);
    const std::wstring format(picture.begin(), picture.end());
    wchar_t buffer[kEraBuffer];
    const int written = ::GetDateFormatW(::GetThreadLocale(), DATE_USE_ALT_CALENDAR, &date,
                                         format.c_str(), buffer, kEraBuffer);
    if (written <= 0) return false;
    text.assign(reinterpret_cast<const char16_t*>(buffer), static_cast<size_t>(written - 1));
    return true;
  }
};

}  // namespace

LocaleSource& SystemLocaleSource() {
  static Win32LocaleSource source;
  return source;
}

}  // namespace ostrivel
