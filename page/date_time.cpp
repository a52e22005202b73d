#include "page/date_time.h"

#include <limits>

#include "page/date_value.h"

namespace ostrivel {
namespace {

// GetLocaleInfoW is asked with a buffer of 256 characters for a text and of
// 2 for a character: a value that does not fit counts as unreadable.
constexpr size_t kTextItemBuffer = 256;
// GetDateFormatW is asked with a buffer of 256 characters as well.
constexpr size_t kEraBuffer = 256;

bool ParseWhole(TextView text, int& value) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
  if (i == text.size()) return false;
  int64_t n = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < u'0' || text[i] > u'9') return false;
    n = n * 10 + (text[i] - u'0');
    if (n > std::numeric_limits<int>::max()) return false;
  }
  value = static_cast<int>(negative ? -n : n);
  return true;
}

class ItemReader {
 public:
  ItemReader(LocaleSource& source, uint32_t lcid) : source_(source), lcid_(lcid) {}

  Text TextItem(uint32_t item, TextView fallback) {
    Text value;
    if (source_.LocaleInfo(lcid_, item, value) && value.size() < kTextItemBuffer) return value;
    return Text(fallback);
  }
  // Names are never left empty: an empty name takes the English default too.
  Text NameItem(uint32_t item, TextView fallback) {
    Text value = TextItem(item, fallback);
    return value.empty() ? Text(fallback) : value;
  }
  // An empty value is the NUL character (what a 2-character buffer holds then).
  char16_t CharItem(uint32_t item, char16_t fallback) {
    Text value;
    if (!source_.LocaleInfo(lcid_, item, value) || value.size() > 1) return fallback;
    return value.empty() ? u'\0' : value[0];
  }
  int NumberItem(uint32_t item, TextView fallback, int notANumber) {
    int n = 0;
    return ParseWhole(TextItem(item, fallback), n) ? n : notANumber;
  }

 private:
  LocaleSource& source_;
  uint32_t lcid_;
};

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// The length of the character at `i`: a surrogate pair counts as one.
size_t CharLength(TextView text, size_t i) {
  return IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1]) ? 2 : 1;
}

char16_t Upper(char16_t c) { return c >= u'a' && c <= u'z' ? c - (u'a' - u'A') : c; }

// Whether `text` at `i` begins with the ASCII `word`, regardless of case.
bool StartsWithNoCase(TextView text, size_t i, std::u16string_view word) {
  if (text.size() - i < word.size()) return false;
  for (size_t k = 0; k < word.size(); ++k) {
    if (Upper(text[i + k]) != Upper(word[k])) return false;
  }
  return true;
}

bool StartsAmPmForm(TextView text, size_t i) {
  return StartsWithNoCase(text, i, u"AM/PM") || StartsWithNoCase(text, i, u"A/P") ||
         StartsWithNoCase(text, i, u"AMPM");
}

// The `first` and `count` characters of `text`, counting surrogate pairs as one.
Text Characters(TextView text, size_t first, size_t count) {
  size_t i = 0;
  for (size_t k = 0; k < first && i < text.size(); ++k) i += CharLength(text, i);
  size_t end = i;
  for (size_t k = 0; k < count && end < text.size(); ++k) end += CharLength(text, end);
  return Text(text.substr(i, end - i));
}

size_t CharacterCount(TextView text) {
  size_t n = 0;
  for (size_t i = 0; i < text.size(); i += CharLength(text, i)) ++n;
  return n;
}

class Formatter {
 public:
  Formatter(const RegionalFormat& regional, double value, LocaleSource* eras)
      : regional_(regional), eras_(eras), parts_(SplitValue(value)) {
    // A value outside years 1 to 9999 (or NaN, or infinite) has no calendar
    // fields: its numbers write as zeros and its names and eras as nothing, so
    // the text keeps its shape (twelve digits stay twelve) without inventing
    // a date.
    if (!parts_.valid) parts_ = SplitDateTime{};
  }

  Text Result() && { return std::move(out_); }

  void Append(TextView format) {
    // The top format and one expansion inside it are written; deeper
    // expansions write nothing, which also ends any self-reference.
    if (level_ >= 2) return;
    ++level_;
    char16_t lastToken = u' ';
    bool use12HourClock = false;
    size_t i = 0;
    while (i < format.size()) {
      const char16_t starter = format[i];
      if (IsHighSurrogate(starter)) {
        const size_t n = CharLength(format, i);
        out_.append(format.substr(i, n));
        i += n;
        lastToken = u' ';
        continue;
      }
      ++i;
      char16_t token = Upper(starter);
      if (token >= u'A' && token <= u'Z') {
        if (token == u'M' && lastToken == u'H') token = u'N';
        lastToken = token;
      }
      auto runCount = [&] {
        size_t count = 1;
        while (i < format.size() && format[i] == starter) {
          ++i;
          ++count;
        }
        return count;
      };
      switch (token) {
        case u'Y': {
          const size_t count = runCount();
          if (count <= 2) {
            Number(parts_.year % 100, 2);
          } else {
            Number(parts_.year, 4);
          }
          break;
        }
        case u'G':
          out_ += EraName(runCount());
          break;
        case u'E':
          out_ += EraYear(runCount());
          break;
        case u'M': {
          const size_t count = runCount();
          if (count <= 2) {
            Number(parts_.month, count);
          } else {
            out_ += MonthName(count == 3 ? regional_.shortMonthNames : regional_.longMonthNames);
          }
          break;
        }
        case u'D': {
          const size_t count = runCount();
          if (count <= 2) {
            Number(parts_.day, count);
          } else if (count == 3) {
            out_ += DayName(regional_.shortDayNames);
          } else if (count == 4) {
            out_ += DayName(regional_.longDayNames);
          } else if (count == 5) {
            Append(regional_.shortDateFormat);
          } else {
            Append(regional_.longDateFormat);
          }
          break;
        }
        case u'H': {
          const size_t count = runCount();
          if (!use12HourClock && AmPmFollows(format, i)) use12HourClock = true;
          int hour = parts_.hour;
          if (use12HourClock) {
            if (hour == 0) {
              hour = 12;
            } else if (hour > 12) {
              hour -= 12;
            }
          }
          Number(hour, count > 2 ? 2 : count);
          break;
        }
        case u'N': {
          const size_t count = runCount();
          Number(parts_.minute, count > 2 ? 2 : count);
          break;
        }
        case u'S': {
          const size_t count = runCount();
          Number(parts_.second, count > 2 ? 2 : count);
          break;
        }
        case u'Z': {
          const size_t count = runCount();
          Number(parts_.millisecond, count > 3 ? 3 : count);
          break;
        }
        case u'T':
          Append(runCount() == 1 ? regional_.shortTimeFormat : regional_.longTimeFormat);
          break;
        case u'A': {
          const size_t at = i - 1;
          const bool afternoon = parts_.hour >= 12;
          if (StartsWithNoCase(format, at, u"AM/PM")) {
            out_.append(format.substr(afternoon ? at + 3 : at, 2));
            i = at + 5;
            use12HourClock = true;
          } else if (StartsWithNoCase(format, at, u"A/P")) {
            out_ += format[afternoon ? at + 2 : at];
            i = at + 3;
            use12HourClock = true;
          } else if (StartsWithNoCase(format, at, u"AMPM")) {
            out_ += afternoon ? regional_.pmText : regional_.amText;
            i = at + 4;
            use12HourClock = true;
          } else if (StartsWithNoCase(format, at, u"AAAA")) {
            out_ += DayName(regional_.longDayNames);
            i = at + 4;
          } else if (StartsWithNoCase(format, at, u"AAA")) {
            out_ += DayName(regional_.shortDayNames);
            i = at + 3;
          } else {
            out_ += starter;
          }
          break;
        }
        case u'C':
          runCount();
          Append(regional_.shortDateFormat);
          if (parts_.hour != 0 || parts_.minute != 0 || parts_.second != 0 ||
              parts_.millisecond != 0) {
            out_ += u' ';
            Append(regional_.longTimeFormat);
          }
          break;
        case u'/':
          if (regional_.dateSeparator != u'\0') out_ += regional_.dateSeparator;
          break;
        case u':':
          if (regional_.timeSeparator != u'\0') out_ += regional_.timeSeparator;
          break;
        case u'\'':
        case u'"': {
          const size_t close = format.find(starter, i);
          const size_t end = close == TextView::npos ? format.size() : close;
          out_.append(format.substr(i, end - i));
          i = close == TextView::npos ? end : end + 1;
          break;
        }
        default:
          out_ += starter;
          break;
      }
    }
    --level_;
  }

 private:
  // From the end of an h run: the hour is on the 12-hour clock if the first a
  // outside quotes starts an AM/PM form; a later h stops the search.
  static bool AmPmFollows(TextView format, size_t i) {
    bool quoted = false;
    while (i < format.size()) {
      const char16_t c = format[i];
      if (IsHighSurrogate(c)) {
        i += CharLength(format, i);
        continue;
      }
      if ((c == u'a' || c == u'A') && !quoted) return StartsAmPmForm(format, i);
      if (c == u'h' || c == u'H') return false;
      if (c == u'\'' || c == u'"') quoted = !quoted;
      ++i;
    }
    return false;
  }

  // Written straight into the text: the record times call this for every file.
  void Number(int value, size_t digits) {
    char16_t buffer[12];
    size_t n = 0;
    unsigned rest = static_cast<unsigned>(value < 0 ? 0 : value);  // fields are never negative
    do {
      buffer[n++] = static_cast<char16_t>(u'0' + rest % 10);
      rest /= 10;
    } while (rest != 0);
    if (n < digits) out_.append(digits - n, u'0');
    while (n > 0) out_ += buffer[--n];
  }

  Text MonthName(const std::array<Text, 12>& names) const {
    return parts_.month >= 1 && parts_.month <= 12 ? names[parts_.month - 1] : Text();
  }
  Text DayName(const std::array<Text, 7>& names) const {
    return parts_.year != 0 ? names[parts_.dayOfWeek - 1] : Text();
  }

  bool AltCalendar(TextView picture, Text& text) const {
    if (eras_ == nullptr || parts_.year == 0) return false;
    if (!eras_->AltCalendarDateText(parts_.year, parts_.month, parts_.day, picture, text)) {
      return false;
    }
    return text.size() < kEraBuffer;
  }

  Text EraName(size_t count) const {
    Text era;
    if (!AltCalendar(u"gg", era)) return Text();
    if (count == 1) {
      const LocaleFacts& facts = regional_.facts;
      if (facts.primaryLanguage == kLangJapanese) return Characters(era, 0, 1);
      // 中華民國 is written 民國 in its short form.
      if (facts.primaryLanguage == kLangChinese &&
          facts.subLanguage == kSublangChineseTraditional && CharacterCount(era) == 4) {
        return Characters(era, 2, 2);
      }
    }
    return era;
  }

  Text EraYear(size_t count) const {
    Text year;
    if (!AltCalendar(count <= 2 ? u"yy" : u"yyyy", year)) return Text();
    if (count == 1 && !year.empty() && year[0] == u'0') year.erase(0, 1);
    return year;
  }

  const RegionalFormat& regional_;
  LocaleSource* eras_;
  SplitDateTime parts_;
  int level_ = 0;
  Text out_;
};

const char16_t* const kShortDayNames[7] = {u"Sun", u"Mon", u"Tue", u"Wed", u"Thu", u"Fri", u"Sat"};
const char16_t* const kLongDayNames[7] = {u"Sunday",   u"Monday", u"Tuesday", u"Wednesday",
                                          u"Thursday", u"Friday", u"Saturday"};
const char16_t* const kShortMonthNames[12] = {u"Jan", u"Feb", u"Mar", u"Apr", u"May", u"Jun",
                                              u"Jul", u"Aug", u"Sep", u"Oct", u"Nov", u"Dec"};
const char16_t* const kLongMonthNames[12] = {u"January",   u"February", u"March",    u"April",
                                             u"May",       u"June",     u"July",     u"August",
                                             u"September", u"October",  u"November", u"December"};

}  // namespace

LocaleFacts ReadLocaleFacts(LocaleSource& source) {
  LocaleFacts facts;
  facts.lcid = source.ThreadLocale();
  if (facts.lcid == 0) facts.lcid = kEnglishUnitedStates;
  if ((facts.lcid & 0xFFFF) != 0) {
    facts.primaryLanguage = static_cast<int>(facts.lcid & 0x3FF);
    facts.subLanguage = static_cast<int>((facts.lcid & 0xFFFF) >> 10);
  } else {
    facts.primaryLanguage = kLangEnglish;
    facts.subLanguage = 1;
  }
  return facts;
}

Text AdaptDatePicture(LocaleSource& source, uint32_t lcid, uint32_t item, TextView defaultPicture,
                      char16_t dateSeparator, int primaryLanguage) {
  ItemReader reader(source, lcid);
  const Text picture = reader.TextItem(item, defaultPicture);
  const int calendarType = reader.NumberItem(kLocaleICalendarType, u"1", 1);
  Text result;
  if (calendarType == kCalJapan || calendarType == kCalTaiwan || calendarType == kCalKorea) {
    // The era year stands in for the year, and the era name is written whole.
    size_t i = 0;
    while (i < picture.size()) {
      if (StartsWithNoCase(picture, i, u"gg")) {
        result += u"ggg";
        i += 2;
      } else if (StartsWithNoCase(picture, i, u"yyyy")) {
        result += u"eeee";
        i += 4;
      } else if (StartsWithNoCase(picture, i, u"yy")) {
        result += u"ee";
        i += 2;
      } else if (Upper(picture[i]) == u'Y') {
        result += u'e';
        ++i;
      } else {
        const size_t n = CharLength(picture, i);
        result.append(picture, i, n);
        i += n;
      }
    }
  } else if (primaryLanguage == kLangChinese || primaryLanguage == kLangJapanese ||
             primaryLanguage == kLangKorean) {
    for (char16_t c : picture) {
      if (c != u'g' && c != u'G') result += c;
    }
  } else {
    result = picture;
  }
  // "/" writes the date separator again, so the picture keeps working if the
  // separator changes.
  bool quoted = false;
  for (char16_t& c : result) {
    if (c == u'\'') {
      quoted = !quoted;
    } else if (!quoted && c == dateSeparator) {
      c = u'/';
    }
  }
  return result;
}

RegionalFormat LoadRegionalFormat(LocaleSource& source, uint32_t lcid, const LocaleFacts& facts) {
  if (!source.IsValidLocale(lcid)) lcid = source.ThreadLocale();
  ItemReader reader(source, lcid);
  RegionalFormat f;
  f.facts = facts;
  // Windows numbers the days from Monday; the record starts on Sunday.
  for (uint32_t day = 0; day < 7; ++day) {
    f.shortDayNames[day] =
        reader.NameItem(kLocaleSAbbrevDayName1 + (day + 6) % 7, kShortDayNames[day]);
  }
  for (uint32_t day = 0; day < 7; ++day) {
    f.longDayNames[day] = reader.NameItem(kLocaleSDayName1 + (day + 6) % 7, kLongDayNames[day]);
  }
  for (uint32_t month = 0; month < 12; ++month) {
    f.shortMonthNames[month] =
        reader.NameItem(kLocaleSAbbrevMonthName1 + month, kShortMonthNames[month]);
  }
  for (uint32_t month = 0; month < 12; ++month) {
    f.longMonthNames[month] = reader.NameItem(kLocaleSMonthName1 + month, kLongMonthNames[month]);
  }
  f.dateSeparator = reader.CharItem(kLocaleSDate, u'/');
  f.shortDateFormat = AdaptDatePicture(source, lcid, kLocaleSShortDate, u"m/d/yy", f.dateSeparator,
                                       facts.primaryLanguage);
  f.longDateFormat = AdaptDatePicture(source, lcid, kLocaleSLongDate, u"mmmm d, yyyy",
                                      f.dateSeparator, facts.primaryLanguage);
  f.timeSeparator = reader.CharItem(kLocaleSTime, u':');
  f.amText = reader.TextItem(kLocaleS1159, u"am");
  f.pmText = reader.TextItem(kLocaleS2359, u"pm");

  // The time formats come from three numbers, never from the locale's time
  // picture (whose H, h and tt this formatter does not share).
  const Text hour = reader.NumberItem(kLocaleITLZero, u"0", 0) != 0 ? u"hh" : u"h";
  Text prefix, suffix;
  if (reader.NumberItem(kLocaleITime, u"0", 0) == 0) {
    if (reader.NumberItem(kLocaleITimeMarkPosn, u"0", 0) != 0) {
      prefix = u"AMPM ";
    } else {
      suffix = u" AMPM";
    }
  }
  f.shortTimeFormat = prefix + hour + u":mm" + suffix;
  f.longTimeFormat = prefix + hour + u":mm:ss" + suffix;
  return f;
}

RegionalFormat RefreshRegionalFormat(LocaleSource& source) {
  const LocaleFacts facts = ReadLocaleFacts(source);
  return LoadRegionalFormat(source, facts.lcid, facts);
}

Text DateTimeText(const RegionalFormat& regional, TextView format, double value,
                  LocaleSource* eras) {
  Formatter formatter(regional, value, eras);
  formatter.Append(format.empty() ? TextView(u"c") : format);
  return std::move(formatter).Result();
}

void AppendNumericDateTime(Text& out, const RegionalFormat& regional, double value) {
  SplitDateTime parts = SplitValue(value);
  if (!parts.valid) parts = SplitDateTime{};  // zeros, as the formatter writes them
  char16_t buffer[32];
  char16_t* o = buffer;
  auto number = [&o](int n, int digits) {
    char16_t reversed[12];
    int count = 0;
    unsigned rest = static_cast<unsigned>(n < 0 ? 0 : n);
    do {
      reversed[count++] = static_cast<char16_t>(u'0' + rest % 10);
      rest /= 10;
    } while (rest != 0);
    for (int k = count; k < digits; ++k) *o++ = u'0';
    while (count > 0) *o++ = reversed[--count];
  };
  auto separator = [&o](char16_t c) {
    if (c != u'\0') *o++ = c;
  };
  number(parts.year, 4);
  separator(regional.dateSeparator);
  number(parts.month, 1);
  separator(regional.dateSeparator);
  number(parts.day, 1);
  *o++ = u' ';
  number(parts.hour, 1);  // no AM/PM in the format: the 24-hour clock
  separator(regional.timeSeparator);
  number(parts.minute, 2);
  separator(regional.timeSeparator);
  number(parts.second, 2);
  out.append(buffer, static_cast<size_t>(o - buffer));
}

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
