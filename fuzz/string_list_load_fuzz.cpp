// Loading a string list from arbitrary bytes and saving it back, through the
// in-memory text files: every mark, and for files without one the toy Latin-1
// code page, UTF-8 as the system code page, or the locale's own character set
// through the platform's conversion (the locale chosen from the input). Saves
// run with short writes and failing writes.
//
// Input: a code-page byte, a locale byte, a write byte, then the file.

#include <cstdlib>
#include <string>

#include "core/error.h"
#include "fuzz/fuzz_support.h"
#include "page/string_list.h"
#include "page/text_file.h"
#include "tests/fake_text_files.h"

using namespace ostrivel;
using ostrivel::fuzzing::Show;
using ostrivel::testing::FakeTextFiles;
using ostrivel::testing::kFakeLatin1;

namespace {

// Locales whose character sets play the system code page. scripts/fuzz.sh
// builds the ones that are not UTF-8 into LOCPATH; a missing one falls back
// to US-ASCII, which is a code page worth covering too.
const char* const kLocales[] = {
    "C",         "C.UTF-8",    "de_DE.ISO-8859-1", "ru_RU.CP1251", "ru_RU.KOI8-R", "zh_CN.GB18030",
    "zh_CN.GBK", "zh_TW.BIG5", "ja_JP.EUC-JP",     "ko_KR.EUC-KR",
};

const Text kTemplate = u"C:\\app\\template.html";
const Text kPage = u"C:\\out\\181208093000.html";

bool HasBreak(const Text& line) { return line.find_first_of(TextView(u"\r\n\0", 3)) != Text::npos; }

std::string EncodeUtf16(TextView text, bool bigEndian) {
  std::string bytes;
  for (char16_t c : text) {
    const char lo = static_cast<char>(c & 0xFF);
    const char hi = static_cast<char>(c >> 8);
    bytes += bigEndian ? hi : lo;
    bytes += bigEndian ? lo : hi;
  }
  return bytes;
}

Text DecodeUtf16(std::string_view bytes, bool bigEndian) {
  Text text;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const unsigned a = static_cast<unsigned char>(bytes[i]);
    const unsigned b = static_cast<unsigned char>(bytes[i + 1]);
    text += static_cast<char16_t>(bigEndian ? (a << 8 | b) : (b << 8 | a));
  }
  return text;
}

// Whether the text holds one of the lone surrogates FromUtf8Lossless makes of
// bytes that are not well-formed UTF-8.
bool HasEscapedByte(const Text& text) {
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      ++i;
      continue;
    }
    if (c >= 0xDC80 && c <= 0xDCFF) return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  const uint8_t pageChoice = data[0];
  const uint8_t localeChoice = data[1];
  const uint8_t writeChoice = data[2];
  const std::string file(reinterpret_cast<const char*>(data + 3), size - 3);

  setenv("LC_ALL", kLocales[localeChoice % std::size(kLocales)], 1);
  FakeTextFiles files;
  const uint32_t pages[] = {kFakeLatin1, kCodePageUtf8, 936};
  files.codePage = pages[pageChoice % std::size(pages)];
  files.files[kTemplate] = file;

  // What the marks say, independently of the loader.
  TextEncoding expected = TextEncoding::SystemCodePage;
  std::string_view content = file;
  if (content.starts_with("\xEF\xBB\xBF")) {
    expected = TextEncoding::Utf8;
    content.remove_prefix(3);
  } else if (content.starts_with("\xFF\xFE")) {
    expected = TextEncoding::Utf16LE;
    content.remove_prefix(2);
  } else if (content.starts_with("\xFE\xFF")) {
    expected = TextEncoding::Utf16BE;
    content.remove_prefix(2);
  }

  StringList list;
  list.Add(u"before");
  bool loaded = true;
  try {
    LoadFromFile(list, kTemplate, files);
  } catch (const Error& e) {
    loaded = false;
    FUZZ_CHECK(e.Message() == kDecodingFailureMessage, Show(e.Message()));
    FUZZ_CHECK(list.Count() == 1 && list[0] == u"before", "a failed load changed the lines");
  }
  FUZZ_CHECK(files.openCount == 0, "the template stayed open");
  FUZZ_CHECK(list.fileEncoding == expected, "the encoding is not the one the mark names");

  // The text the loader must have found, where it can be told without the
  // platform's converters.
  std::optional<Text> reference;
  switch (expected) {
    case TextEncoding::Utf16LE:
    case TextEncoding::Utf16BE:
      // Only a single byte after the mark decodes to nothing.
      FUZZ_CHECK(loaded == (content.size() != 1), "UTF-16 load result");
      if (loaded) reference = DecodeUtf16(content, expected == TextEncoding::Utf16BE);
      break;
    case TextEncoding::Utf8: {
      // Strict decoding must agree with our own UTF-8 reading: it succeeds
      // exactly when that reading keeps no byte as an escape.
      const Text lossless = FromUtf8Lossless(content);
      FUZZ_CHECK(loaded == (content.empty() || !HasEscapedByte(lossless)),
                 "strict UTF-8 and FromUtf8Lossless disagree on " + Show(lossless));
      if (loaded) reference = lossless;
      break;
    }
    case TextEncoding::SystemCodePage:
      // Lenient decoding never fails.
      FUZZ_CHECK(loaded, "a file without a mark failed to load");
      if (files.codePage == kFakeLatin1) {
        Text latin1;
        for (unsigned char b : content) latin1 += static_cast<char16_t>(b);
        reference = latin1;
      }
      break;
  }
  if (loaded && reference) {
    StringList split;
    split.SetText(*reference);
    FUZZ_CHECK(list.Lines() == split.Lines(), "the lines are not those of the decoded text");
  }
  if (!loaded) return 0;
  for (const Text& line : list.Lines()) FUZZ_CHECK(!HasBreak(line), Show(line));

  // Save, with the writes the input asks for.
  if (writeChoice & 0x80) files.writeLimit = (writeChoice & 0x3F) * 7;
  if (writeChoice & 0x40) files.writeChunk = 1 + (writeChoice & 0x0F);
  const Text joined = list.GetText();
  bool saved = true;
  try {
    SaveToFile(list, kPage, files);
  } catch (const Error& e) {
    saved = false;
    FUZZ_CHECK(e.Message() == kWriteFailureMessage, Show(e.Message()));
    FUZZ_CHECK(!files.files.contains(kPage), "a page whose writing failed was left behind");
  }
  FUZZ_CHECK(files.openCount == 0, "the page stayed open");
  if (!saved) {
    FUZZ_CHECK(files.writeLimit.has_value(), "a save failed without a write failure");
    return 0;
  }
  const std::string& bytes = files.files[kPage];
  const bool utf8Page =
      expected == TextEncoding::Utf8 ||
      (expected == TextEncoding::SystemCodePage && files.codePage == kCodePageUtf8);
  switch (expected) {
    case TextEncoding::Utf16LE:
      FUZZ_CHECK(bytes == "\xFF\xFE" + EncodeUtf16(joined, false), "UTF-16LE page bytes");
      break;
    case TextEncoding::Utf16BE:
      FUZZ_CHECK(bytes == "\xFE\xFF" + EncodeUtf16(joined, true), "UTF-16BE page bytes");
      break;
    case TextEncoding::Utf8:
      FUZZ_CHECK(bytes == "\xEF\xBB\xBF" + Utf8(joined), "UTF-8 page bytes");
      break;
    case TextEncoding::SystemCodePage:
      if (files.codePage == kFakeLatin1) {
        std::string latin1;
        for (char16_t c : joined) latin1 += c <= 0xFF ? static_cast<char>(c) : '?';
        FUZZ_CHECK(bytes == latin1, "Latin-1 page bytes");
      } else if (utf8Page) {
        FUZZ_CHECK(bytes.starts_with("\xEF\xBB\xBF"), "a UTF-8 code page saves its mark");
      }
      break;
  }

  // Loading the page again gives the same lines wherever the encoding is
  // lossless: the UTF marks, Latin-1 (the page's characters all came from
  // it), and UTF-8 as the code page, which the saved mark now names.
  StringList again;
  files.writeLimit.reset();
  try {
    LoadFromFile(again, kPage, files);
  } catch (const Error& e) {
    FUZZ_CHECK(false, "a saved page does not load: " + Show(e.Message()));
  }
  if (utf8Page) FUZZ_CHECK(again.fileEncoding == TextEncoding::Utf8, "page mark");
  if (expected != TextEncoding::SystemCodePage || files.codePage != 936) {
    FUZZ_CHECK(again.Lines() == list.Lines(), "the saved page loads as other lines");
  }
  return 0;
}
