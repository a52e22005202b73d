// Name order under a Swedish user locale (the binary runs with LANG=sv_SE.UTF-8):
// the user's locale decides where accented letters go.

#include <gtest/gtest.h>

#include "scan/catalogue.h"

namespace ostrivel {
namespace {

TEST(SwedishNameOrder, LettersAfterZ) {
  auto c = MakeUserCollation();
  EXPECT_GT(CompareNames(*c, u"\u00e4", u"z"), 0);
  EXPECT_GT(CompareNames(*c, u"\u00f6", u"\u00e4"), 0);
  EXPECT_LT(CompareNames(*c, u"z", u"\u00e5"), 0);
  EXPECT_EQ(CompareNames(*c, u"\u00c4", u"\u00e4"), 0);
  // What name order needs holds here too.
  EXPECT_LT(CompareNames(*c, u"10", u"9"), 0);
  EXPECT_LT(CompareNames(*c, u"A\\c", u"Ab"), 0);
  StringList list;
  for (const char16_t* name : {u"\u00e4pple", u"zebra", u"apa", u"10", u"9"}) list.Add(name);
  SortByName(list, *c);
  EXPECT_EQ(list.Lines(), (std::vector<Text>{u"10", u"9", u"apa", u"zebra", u"\u00e4pple"}));
}

}  // namespace
}  // namespace ostrivel
