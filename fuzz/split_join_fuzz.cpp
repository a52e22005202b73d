// Splitting a text into string-list lines and joining them again, the
// replacement that the record block and the placeholders go through, and the
// UTF-8 conversion that POSIX names travel by.
//
// Input: the same bytes read three ways: as UTF-16 text (two bytes a unit),
// as a replacement (a text, what to replace, what to put in), and as raw
// bytes of a POSIX name.

#include <string>
#include <vector>

#include "core/text.h"
#include "fuzz/fuzz_support.h"
#include "page/string_list.h"

using namespace ostrivel;
using ostrivel::fuzzing::ConsumeText;
using ostrivel::fuzzing::Show;

namespace {

// The split written out the slow way: line breaks found one at a time.
std::vector<Text> ReferenceSplit(TextView text) {
  std::vector<Text> lines;
  const size_t nul = text.find(u'\0');
  if (nul != TextView::npos) text = text.substr(0, nul);
  Text line;
  bool open = false;  // a line has started and not yet been ended
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c == u'\r' || c == u'\n') {
      lines.push_back(line);
      line.clear();
      open = false;
      if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
    } else {
      line += c;
      open = true;
    }
  }
  if (open) lines.push_back(line);
  return lines;
}

Text ReferenceReplace(TextView text, TextView from, TextView to) {
  if (from.empty()) return Text(text);
  Text out;
  size_t i = 0;
  while (i < text.size()) {
    if (text.substr(i, from.size()) == from) {
      out += to;
      i += from.size();
    } else {
      out += text[i++];
    }
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // 1. Split and join.
  Text text;
  for (size_t i = 0; i + 1 < size; i += 2)
    text += static_cast<char16_t>(data[i] | data[i + 1] << 8);
  StringList list;
  list.Add(u"stale");
  list.SetText(text);
  FUZZ_CHECK(list.Lines() == ReferenceSplit(text), "split of " + Show(text));
  const Text joined = list.GetText();
  size_t expectedLength = 0;
  for (const Text& line : list.Lines()) {
    FUZZ_CHECK(line.find_first_of(TextView(u"\r\n\0", 3)) == Text::npos, Show(line));
    expectedLength += line.size() + 2;
  }
  FUZZ_CHECK(joined.size() == expectedLength, "joined length");
  FUZZ_CHECK(joined.empty() || joined.ends_with(u"\r\n"), "the list text ends with CR LF");
  // The join is a fixed point of split and join.
  StringList again;
  again.SetText(joined);
  FUZZ_CHECK(again.Lines() == list.Lines(), "split(join(lines)) != lines");
  FUZZ_CHECK(again.GetText() == joined, "join is not stable");
  // A text already in list form comes back unchanged.
  const bool listForm =
      ReferenceReplace(text, u"\r\n", u"").find_first_of(TextView(u"\r\n\0", 3)) == Text::npos &&
      (text.empty() || text.ends_with(u"\r\n"));
  if (listForm) FUZZ_CHECK(joined == text, "a text in list form changed: " + Show(text));

  // 2. Replacement, as the placeholders and the record block use it.
  FuzzedDataProvider in(data, size);
  const Text subject = ConsumeText(in, 64, {});
  const Text from = ConsumeText(in, 8, {});
  const Text to = ConsumeText(in, 8, {});
  const Text replaced = ReplaceAll(subject, from, to);
  FUZZ_CHECK(replaced == ReferenceReplace(subject, from, to),
             Show(subject) + " / " + Show(from) + " / " + Show(to));
  // The record block's conversion leaves no "\" behind.
  StringList block;
  block.SetText(ReplaceAll(subject, u"\\", u"/"));
  FUZZ_CHECK(block.GetText().find(u'\\') == Text::npos, "a \\ survived the conversion");

  // 3. A POSIX name's bytes survive the trip through UTF-16.
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const Text name = FromUtf8Lossless(bytes);
  FUZZ_CHECK(ToUtf8Lossless(name) == bytes, "bytes do not round-trip: " + Show(name));
  return 0;
}
