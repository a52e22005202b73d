#include "page/text_file.h"

#include "core/error.h"

namespace ostrivel {
namespace {

struct Mark {
  std::string_view bytes;
  TextEncoding encoding;
};

// Compared in this order; the first that matches wins.
constexpr Mark kMarks[] = {
    {"\xEF\xBB\xBF", TextEncoding::Utf8},
    {"\xFF\xFE", TextEncoding::Utf16LE},
    {"\xFE\xFF", TextEncoding::Utf16BE},
};

std::string_view MarkOf(TextEncoding encoding, TextFiles& files) {
  switch (encoding) {
    case TextEncoding::Utf8:
      return kMarks[0].bytes;
    case TextEncoding::Utf16LE:
      return kMarks[1].bytes;
    case TextEncoding::Utf16BE:
      return kMarks[2].bytes;
    case TextEncoding::SystemCodePage:
      return files.SystemCodePage() == kCodePageUtf8 ? kMarks[0].bytes : std::string_view();
  }
  return {};
}

// No validation: an odd final byte is ignored.
Text DecodeUtf16(std::string_view bytes, bool bigEndian) {
  Text text(bytes.size() / 2, u'\0');
  const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned lo = b[2 * i + (bigEndian ? 1 : 0)];
    const unsigned hi = b[2 * i + (bigEndian ? 0 : 1)];
    text[i] = static_cast<char16_t>(lo | (hi << 8));
  }
  return text;
}

std::string EncodeUtf16(TextView text, bool bigEndian) {
  std::string bytes(text.size() * 2, '\0');
  for (size_t i = 0; i < text.size(); ++i) {
    const char lo = static_cast<char>(text[i] & 0xFF);
    const char hi = static_cast<char>(text[i] >> 8);
    bytes[2 * i] = bigEndian ? hi : lo;
    bytes[2 * i + 1] = bigEndian ? lo : hi;
  }
  return bytes;
}

Text Decode(TextEncoding encoding, std::string_view bytes, TextFiles& files) {
  switch (encoding) {
    case TextEncoding::Utf8:
      return files.Decode(kCodePageUtf8, true, bytes);
    case TextEncoding::Utf16LE:
      return DecodeUtf16(bytes, false);
    case TextEncoding::Utf16BE:
      return DecodeUtf16(bytes, true);
    case TextEncoding::SystemCodePage:
      break;
  }
  return files.Decode(files.SystemCodePage(), false, bytes);
}

std::string Encode(TextEncoding encoding, TextView text, TextFiles& files) {
  switch (encoding) {
    case TextEncoding::Utf8:
      return files.Encode(kCodePageUtf8, text);
    case TextEncoding::Utf16LE:
      return EncodeUtf16(text, false);
    case TextEncoding::Utf16BE:
      return EncodeUtf16(text, true);
    case TextEncoding::SystemCodePage:
      break;
  }
  return files.Encode(files.SystemCodePage(), text);
}

// The format with its two "%s" replaced, in order, by the full path and the
// system's text for the error.
Text FailureMessage(TextView format, const Text& path, uint32_t error, TextFiles& files) {
  const Text arguments[] = {files.FullPath(path), TrimErrorText(files.ErrorText(error))};
  Text message;
  size_t next = 0;
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] == u'%' && i + 1 < format.size() && format[i + 1] == u's' && next < 2) {
      message += arguments[next++];
      ++i;
    } else {
      message += format[i];
    }
  }
  return message;
}

// Each write is repeated for the bytes that remain; false when one fails or
// writes nothing.
bool WriteAll(OpenTextFile& file, std::string_view bytes) {
  while (!bytes.empty()) {
    const size_t written = file.Write(bytes);
    if (written == 0 || written > bytes.size()) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

}  // namespace

Text TrimErrorText(Text text) {
  size_t n = text.size();
  while (n > 0 && (text[n - 1] <= u' ' || text[n - 1] == u'.')) --n;
  text.resize(n);
  return text;
}

void LoadFromFile(StringList& list, const Text& path, TextFiles& files) {
  uint32_t error = 0;
  std::string bytes;
  {
    std::unique_ptr<OpenTextFile> file = files.OpenForRead(path, error);
    if (!file) throw Error(FailureMessage(kOpenFailureFormat, path, error, files));
    if (!file->ReadAll(bytes)) throw Error(kReadFailureMessage);
  }  // closed before decoding: nothing below needs the file

  TextEncoding encoding = TextEncoding::SystemCodePage;
  std::string_view content = bytes;
  for (const Mark& mark : kMarks) {
    if (content.starts_with(mark.bytes)) {
      encoding = mark.encoding;
      content.remove_prefix(mark.bytes.size());
      break;
    }
  }
  // The encoding found is kept even when decoding then fails; only the lines
  // stay as they were.
  list.fileEncoding = encoding;
  const Text text = Decode(encoding, content, files);
  if (!content.empty() && text.empty()) throw Error(kDecodingFailureMessage);
  std::string().swap(bytes);  // not needed any more: keep the peak to the text and its lines

  StringList loaded;
  loaded.SetText(text);
  list.Lines().swap(loaded.Lines());
}

void SaveToFile(const StringList& list, const Text& path, TextFiles& files) {
  const TextEncoding encoding = list.fileEncoding.value_or(TextEncoding::SystemCodePage);
  const std::string_view mark = MarkOf(encoding, files);
  const std::string bytes = Encode(encoding, list.GetText(), files);

  uint32_t error = 0;
  std::unique_ptr<OpenTextFile> file = files.Create(path, error);
  if (!file) throw Error(FailureMessage(kCreateFailureFormat, path, error, files));
  if (!WriteAll(*file, mark) || !WriteAll(*file, bytes)) {
    // A page cut short looks complete to whoever opens it: leave none behind.
    file.reset();
    files.Remove(path);
    throw Error(kWriteFailureMessage);
  }
}

void SavePiecesToFile(const std::vector<TextView>& pieces, std::optional<TextEncoding> fileEncoding,
                      const Text& path, TextFiles& files) {
  const TextEncoding encoding = fileEncoding.value_or(TextEncoding::SystemCodePage);
  const std::string_view mark = MarkOf(encoding, files);

  uint32_t error = 0;
  std::unique_ptr<OpenTextFile> file = files.Create(path, error);
  if (!file) throw Error(FailureMessage(kCreateFailureFormat, path, error, files));
  // The parts end between pieces and never inside a surrogate pair, so they
  // encode to the bytes of the whole text.
  constexpr size_t kPartSize = 1 << 18;
  bool ok = WriteAll(*file, mark);
  Text part;
  part.reserve(kPartSize);
  auto flush = [&] {
    ok = ok && WriteAll(*file, Encode(encoding, part, files));
    part.clear();
  };
  for (size_t i = 0; ok && i < pieces.size(); ++i) {
    const TextView piece = pieces[i];
    if (part.size() + piece.size() > kPartSize && !part.empty() &&
        !(part.back() >= 0xD800 && part.back() <= 0xDBFF)) {
      flush();
    }
    part.append(piece);
  }
  if (ok && !part.empty()) flush();
  if (!ok) {
    file.reset();
    files.Remove(path);
    throw Error(kWriteFailureMessage);
  }
}

}  // namespace ostrivel
