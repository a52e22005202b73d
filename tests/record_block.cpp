#include "tests/record_block.h"

#include <optional>
#include <variant>

namespace ostrivel::testing {
namespace {

using Element = std::variant<Text, int64_t>;

// Modular, so that the digits of INT64_MIN read back as it.
int64_t Signed(bool negative, uint64_t magnitude) {
  return static_cast<int64_t>(negative ? 0 - magnitude : magnitude);
}

// The array between "D.p([" and "])": strings in double quotes and decimal
// integers, separated by commas, nothing else.
bool ParseArray(TextView body, std::vector<Element>& elements, std::string& why) {
  size_t i = 0;
  while (true) {
    if (i >= body.size()) {
      why = "the array ends after a comma";
      return false;
    }
    if (body[i] == u'"') {
      const size_t close = body.find(u'"', i + 1);
      if (close == TextView::npos) {
        why = "a string is not closed";
        return false;
      }
      const TextView s = body.substr(i + 1, close - i - 1);
      for (char16_t c : s) {
        if (c == u'\\' || c < 0x20) {
          why = "a string holds a \\ or a control character";
          return false;
        }
      }
      elements.emplace_back(Text(s));
      i = close + 1;
    } else {
      const size_t start = i;
      if (body[i] == u'-') ++i;
      const size_t digits = i;
      uint64_t value = 0;
      while (i < body.size() && body[i] >= u'0' && body[i] <= u'9') {
        value = value * 10 + (body[i] - u'0');
        ++i;
      }
      if (i == digits || i - digits > 19 || (body[digits] == u'0' && i - digits > 1)) {
        why = "an element is neither a string nor a plain number";
        return false;
      }
      const bool negative = digits > start;
      elements.emplace_back(Signed(negative, value));
    }
    if (i == body.size()) return true;
    if (body[i] != u',') {
      why = "elements are not separated by a comma";
      return false;
    }
    ++i;
  }
}

bool ParseDecimal(TextView text, int64_t& value) {
  if (text.empty()) return false;
  size_t i = text[0] == u'-' ? 1 : 0;
  if (i == text.size() || text.size() - i > 19) return false;
  if (text[i] == u'0' && text.size() - i > 1) return false;
  uint64_t v = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < u'0' || text[i] > u'9') return false;
    v = v * 10 + (text[i] - u'0');
  }
  value = Signed(text[0] == u'-', v);
  return true;
}

bool Digits(TextView text, size_t min, size_t max) {
  if (text.size() < min || text.size() > max) return false;
  for (char16_t c : text) {
    if (c < u'0' || c > u'9') return false;
  }
  return true;
}

}  // namespace

bool IsRecordTime(TextView text) {
  const size_t space = text.find(u' ');
  if (space == TextView::npos) return false;
  const TextView date = text.substr(0, space);
  const TextView time = text.substr(space + 1);
  const size_t d1 = date.find(u'/');
  const size_t d2 = d1 == TextView::npos ? d1 : date.find(u'/', d1 + 1);
  const size_t t1 = time.find(u':');
  const size_t t2 = t1 == TextView::npos ? t1 : time.find(u':', t1 + 1);
  if (d2 == TextView::npos || t2 == TextView::npos) return false;
  return Digits(date.substr(0, d1), 4, 5) && Digits(date.substr(d1 + 1, d2 - d1 - 1), 1, 2) &&
         Digits(date.substr(d2 + 1), 1, 2) && Digits(time.substr(0, t1), 1, 2) &&
         Digits(time.substr(t1 + 1, t2 - t1 - 1), 2, 2) && Digits(time.substr(t2 + 1), 2, 2);
}

Text DecodeAmp(TextView text) {
  Text out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text.substr(i, 5) == u"&amp;") {
      out += u'&';
      i += 4;
    } else {
      out += text[i];
    }
  }
  return out;
}

bool ParseRecord(TextView line, ParsedRecord& record, std::string& why) {
  record = ParsedRecord{};
  constexpr TextView kOpen = u"D.p([";
  constexpr TextView kClose = u"])";
  if (line.size() < kOpen.size() + kClose.size() || line.substr(0, kOpen.size()) != kOpen ||
      line.substr(line.size() - kClose.size()) != kClose) {
    why = "not a D.p([...]) line";
    return false;
  }
  std::vector<Element> elements;
  if (!ParseArray(line.substr(kOpen.size(), line.size() - kOpen.size() - kClose.size()), elements,
                  why)) {
    return false;
  }
  // [directory entry, file entries..., sum, indices] or [directory entry, 0, indices].
  if (elements.size() < 3 || !std::holds_alternative<Text>(elements.front()) ||
      !std::holds_alternative<Text>(elements.back()) ||
      !std::holds_alternative<int64_t>(elements[elements.size() - 2])) {
    why = "the array is not entry, files, sum, indices";
    return false;
  }
  for (size_t i = 1; i + 2 < elements.size(); ++i) {
    if (!std::holds_alternative<Text>(elements[i])) {
      why = "a number among the file entries";
      return false;
    }
  }
  record.sum = std::get<int64_t>(elements[elements.size() - 2]);
  if (elements.size() == 3 && record.sum != 0) {
    why = "no file entries but a sum other than 0";
    return false;
  }

  const Text& entry = std::get<Text>(elements.front());
  if (entry.ends_with(u"*0*-")) {
    record.path = entry.substr(0, entry.size() - 4);
  } else {
    const size_t star = entry.rfind(u"*0*");
    if (star == Text::npos || !IsRecordTime(TextView(entry).substr(star + 3))) {
      why = "the directory entry has neither *0*time nor *0*-";
      return false;
    }
    record.path = entry.substr(0, star);
    record.hasTime = true;
    record.time = entry.substr(star + 3);
  }

  for (size_t i = 1; i + 2 < elements.size(); ++i) {
    const Text& file = std::get<Text>(elements[i]);
    const size_t timeStar = file.rfind(u'*');
    const size_t sizeStar =
        timeStar == 0 || timeStar == Text::npos ? Text::npos : file.rfind(u'*', timeStar - 1);
    ParsedFile parsed;
    if (sizeStar == Text::npos ||
        !ParseDecimal(TextView(file).substr(sizeStar + 1, timeStar - sizeStar - 1), parsed.size) ||
        !IsRecordTime(TextView(file).substr(timeStar + 1))) {
      why = "a file entry is not name*size*time";
      return false;
    }
    parsed.name = file.substr(0, sizeStar);
    parsed.time = file.substr(timeStar + 1);
    if (parsed.name.empty()) {
      why = "a file entry without a name";
      return false;
    }
    record.files.push_back(std::move(parsed));
  }

  const Text& indices = std::get<Text>(elements.back());
  size_t start = 0;
  while (!indices.empty() && start <= indices.size()) {
    size_t end = indices.find(u'*', start);
    if (end == Text::npos) end = indices.size();
    int64_t value = 0;
    if (!ParseDecimal(TextView(indices).substr(start, end - start), value) || value < 0 ||
        value > INT32_MAX) {
      why = "the indices are not *-separated catalogue positions";
      return false;
    }
    record.indices.push_back(static_cast<int32_t>(value));
    start = end + 1;
  }
  return true;
}

}  // namespace ostrivel::testing
