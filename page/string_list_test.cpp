#include "page/string_list.h"

#include <gtest/gtest.h>

namespace ostrivel {
namespace {

std::vector<Text> Split(TextView text) {
  StringList list;
  list.SetText(text);
  return list.Lines();
}

TEST(StringList, SplitTable) {
  struct Case {
    const char16_t* name;
    Text text;
    std::vector<Text> lines;
  };
  const Case cases[] = {
      {u"empty", u"", {}},
      {u"one line, no break", u"a", {u"a"}},
      {u"CR LF", u"a\r\nb\r\n", {u"a", u"b"}},
      {u"lone LF", u"a\nb", {u"a", u"b"}},
      {u"lone CR", u"a\rb", {u"a", u"b"}},
      {u"LF CR is two breaks", u"a\n\rb", {u"a", u"", u"b"}},
      {u"CR CR LF is two breaks", u"a\r\r\nb", {u"a", u"", u"b"}},
      {u"final break adds no line", u"a\r\n", {u"a"}},
      {u"empty lines kept", u"\r\n\r\n", {u"", u""}},
      {u"a lone break is one empty line", u"\r", {u""}},
      {u"final lone CR adds no line", u"a\r", {u"a"}},
      {u"LF then CR LF", u"\n\r\n", {u"", u""}},
      {u"CR LF LF", u"a\r\n\nb", {u"a", u"", u"b"}},
      {u"NUL ends the text", Text(u"a\0b", 3), {u"a"}},
      {u"NUL after a break", Text(u"a\n\0b", 4), {u"a"}},
      {u"leading NUL gives nothing", Text(u"\0a", 2), {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.name));
    EXPECT_EQ(Split(c.text), c.lines);
  }
}

TEST(StringList, JoinEndsEveryLineWithCrLf) {
  StringList list;
  EXPECT_EQ(list.GetText(), u"");
  list.Add(u"a");
  list.Add(u"");
  list.Add(u"b");
  EXPECT_EQ(list.GetText(), u"a\r\n\r\nb\r\n");
  list.SetText(u"x\ny");
  EXPECT_EQ(list.GetText(), u"x\r\ny\r\n");
}

// Because every line, the last included, is followed by CR LF, lines without
// breaks come back from their list text as they were, empty ones too.
TEST(StringList, SplitUndoesJoin) {
  const std::vector<Text> cases[] = {
      {u""}, {u"", u""}, {u"a", u"", u"b"}, {u"", u"z"}, {u"tab\tand space "},
  };
  for (const std::vector<Text>& lines : cases) {
    SCOPED_TRACE(lines.size());
    StringList list;
    for (const Text& line : lines) list.Add(line);
    StringList back;
    back.SetText(list.GetText());
    EXPECT_EQ(back.Lines(), lines);
  }
}

}  // namespace
}  // namespace ostrivel
