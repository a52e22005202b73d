#include "page/date_time.h"

namespace ostrivel {

LocaleFacts ReadLocaleFacts(LocaleSource&) { return {}; }

RegionalFormat LoadRegionalFormat(LocaleSource&, uint32_t, const LocaleFacts& facts) {
  RegionalFormat f;
  f.facts = facts;
  return f;
}

Text AdaptDatePicture(LocaleSource&, uint32_t, uint32_t, TextView defaultPicture, char16_t, int) {
  return Text(defaultPicture);
}

RegionalFormat RefreshRegionalFormat(LocaleSource& source) {
  const LocaleFacts facts = ReadLocaleFacts(source);
  return LoadRegionalFormat(source, facts.lcid, facts);
}

Text DateTimeText(const RegionalFormat&, TextView, double, LocaleSource*) { return Text(); }

RegionalSettings::RegionalSettings(LocaleSource& source)
    : source_(source), format_(RefreshRegionalFormat(source)) {}

void RegionalSettings::Refresh() {
  source_.SetThreadLocale(kLocaleUserDefault);
  format_ = RefreshRegionalFormat(source_);
}

Text RegionalSettings::DateTimeText(TextView format, double value) const {
  return ostrivel::DateTimeText(format_, format, value, &source_);
}
Text RegionalSettings::ShortDateText(double value) const {
  return DateTimeText(format_.shortDateFormat, value);
}
Text RegionalSettings::LongTimeText(double value) const {
  return DateTimeText(format_.longTimeFormat, value);
}

}  // namespace ostrivel
