// The ICU collation: which locale it takes, locales that place letters
// differently, and names that are not UTF-8.

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "scan/collation.h"

namespace ostrivel {
namespace {

// Sets the locale variables for one scope and puts them back afterwards.
class LocaleVariables {
 public:
  LocaleVariables(const char* all, const char* collate, const char* lang) {
    for (const char* name : kNames) {
      const char* v = std::getenv(name);
      saved_.push_back(v ? std::optional<std::string>(v) : std::nullopt);
    }
    Set("LC_ALL", all);
    Set("LC_COLLATE", collate);
    Set("LANG", lang);
  }
  ~LocaleVariables() {
    for (size_t i = 0; i < 3; ++i) Set(kNames[i], saved_[i] ? saved_[i]->c_str() : nullptr);
  }

 private:
  static void Set(const char* name, const char* value) {
    if (value) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  static constexpr const char* kNames[3] = {"LC_ALL", "LC_COLLATE", "LANG"};
  std::vector<std::optional<std::string>> saved_;
};

int Sign(int v) { return v < 0 ? -1 : (v > 0 ? 1 : 0); }

TEST(IcuCollation, TheUsersCollationLocale) {
  const struct {
    const char* all;
    const char* collate;
    const char* lang;
    int aUmlautVersusZ;  // sv: after z; de and en: before
  } rows[] = {
      {"sv_SE.UTF-8", nullptr, nullptr, 1},
      {"de_DE.UTF-8", nullptr, nullptr, -1},
      {nullptr, "sv_SE.UTF-8", "de_DE.UTF-8", 1},
      {nullptr, nullptr, "sv_SE.utf8", 1},
      {"", "sv_SE", "de_DE", 1},  // an empty variable counts as unset
      {"sv_SE.UTF-8", "de_DE.UTF-8", nullptr, 1},
      {"sv_SE.UTF-8@euro", nullptr, nullptr, 1},
      {"C", "sv_SE", nullptr, -1},
      {"POSIX", nullptr, nullptr, -1},
      {nullptr, nullptr, nullptr, -1},
      {"xx_NOWHERE", nullptr, nullptr, -1},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.all ? row.all : "-") + " / " + (row.collate ? row.collate : "-") +
                 " / " + (row.lang ? row.lang : "-"));
    LocaleVariables locale(row.all, row.collate, row.lang);
    auto c = MakeUserCollation();
    EXPECT_EQ(Sign(c->Compare(u"\u00e4", u"z")), row.aUmlautVersusZ);
    // Whatever the locale, what name order needs holds.
    EXPECT_LT(c->Compare(u"10", u"9"), 0);
    EXPECT_LT(c->Compare(u"A\\c", u"Ab"), 0);
    EXPECT_EQ(c->Compare(u"abc", u"ABC"), 0);
    EXPECT_LT(c->Compare(u"-", u"0"), 0);
    EXPECT_LT(c->Compare(u"9", u"a"), 0);
  }
}

TEST(IcuCollation, ChineseAndGermanLocales) {
  {
    LocaleVariables locale("zh_CN.UTF-8", nullptr, nullptr);
    auto c = MakeUserCollation();
    // Pinyin: 阿 (a) before 不 (bu) before 中 (zhong); digits and Latin letters first.
    EXPECT_LT(c->Compare(u"\u963f", u"\u4e0d"), 0);
    EXPECT_LT(c->Compare(u"\u4e0d", u"\u4e2d"), 0);
    EXPECT_LT(c->Compare(u"9", u"\u963f"), 0);
    EXPECT_LT(c->Compare(u"\\", u"0"), 0);
    EXPECT_LT(c->Compare(u"10", u"9"), 0);
  }
  {
    LocaleVariables locale("de_DE.UTF-8", nullptr, nullptr);
    auto c = MakeUserCollation();
    EXPECT_LT(c->Compare(u"a", u"\u00e4"), 0);
    EXPECT_LT(c->Compare(u"\u00e4", u"b"), 0);
    EXPECT_EQ(c->Compare(u"\u00c4rger", u"\u00e4RGER"), 0);
  }
}

// A name that is not UTF-8 holds U+DC80..U+DCFF for its odd bytes; two such
// names must not compare equal, or one of them is never found again.
TEST(IcuCollation, NamesThatAreNotUtf8StayApart) {
  auto c = MakeUserCollation();
  const Text latin1Acute = FromUtf8Lossless("caf\xe9");
  const Text latin1Grave = FromUtf8Lossless("caf\xe8");
  EXPECT_NE(c->Compare(latin1Acute, latin1Grave), 0);
  EXPECT_EQ(Sign(c->Compare(latin1Acute, latin1Grave)),
            -Sign(c->Compare(latin1Grave, latin1Acute)));
  EXPECT_EQ(c->Compare(latin1Acute, latin1Acute), 0);
  // Still case-insensitive around them, and ordered by the rest first.
  EXPECT_EQ(c->Compare(FromUtf8Lossless("CAF\xe9"), latin1Acute), 0);
  EXPECT_LT(c->Compare(FromUtf8Lossless("a\xff"), FromUtf8Lossless("b\x80")), 0);
  // A proper surrogate pair is no stand-in.
  EXPECT_EQ(c->Compare(u"x\U0001F600", u"X\U0001F600"), 0);
}

}  // namespace
}  // namespace ostrivel
