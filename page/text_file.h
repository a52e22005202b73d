#pragma once
// Loading a string list from a file and saving it to one: the byte-order marks,
// the encodings and the failures with their messages. The logic is written
// once on top of the primitives of TextFiles, which answer the way Windows
// answers; each back end (Win32, POSIX, a test fake) implements them.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/text.h"
#include "page/string_list.h"

namespace ostrivel {

inline constexpr uint32_t kCodePageUtf8 = 65001;

// The messages of the failures, exactly as raised.
inline constexpr char16_t kOpenFailureFormat[] = u"Cannot open file \"%s\". %s";
inline constexpr char16_t kCreateFailureFormat[] = u"Cannot create file \"%s\". %s";
inline constexpr char16_t kDecodingFailureMessage[] =
    u"No mapping for the Unicode character exists in the target multi-byte code page";
inline constexpr char16_t kWriteFailureMessage[] = u"Stream write error";
inline constexpr char16_t kReadFailureMessage[] = u"Stream read error";

// An open file; destroying it closes it (CloseHandle, close).
class OpenTextFile {
 public:
  virtual ~OpenTextFile() = default;
  // The whole file from its start to its end. False when reading fails.
  virtual bool ReadAll(std::string& bytes) = 0;
  // One WriteFile / write call: the number of bytes written, 0 when the call
  // fails or writes nothing.
  virtual size_t Write(std::string_view bytes) = 0;
};

class TextFiles {
 public:
  virtual ~TextFiles() = default;

  // CreateFileW(GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING,
  // FILE_ATTRIBUTE_NORMAL): null with the Windows error code when it fails.
  virtual std::unique_ptr<OpenTextFile> OpenForRead(const Text& path, uint32_t& error) = 0;
  // CreateFileW(GENERIC_READ | GENERIC_WRITE, no sharing, CREATE_ALWAYS,
  // FILE_ATTRIBUTE_NORMAL): null with the Windows error code when it fails.
  virtual std::unique_ptr<OpenTextFile> Create(const Text& path, uint32_t& error) = 0;
  // DeleteFileW / unlink of a regular file.
  virtual bool Remove(const Text& path) = 0;
  // GetFullPathNameW; the path as given when that fails.
  virtual Text FullPath(const Text& path) = 0;
  // The system's message text for an error code, as the system gives it
  // (FormatMessageW, strerror); the caller trims it.
  virtual Text ErrorText(uint32_t code) = 0;
  // GetACP: the code page of text files without a mark.
  virtual uint32_t SystemCodePage() = 0;
  // MultiByteToWideChar(codePage, strict ? MB_ERR_INVALID_CHARS : 0): empty
  // when strict decoding meets an ill-formed sequence.
  virtual Text Decode(uint32_t codePage, bool strict, std::string_view bytes) = 0;
  // WideCharToMultiByte(codePage, 0, no default character): what the code
  // page cannot represent becomes its substitution character.
  virtual std::string Encode(uint32_t codePage, TextView text) = 0;
};

// The platform's text files (back end chosen by the build).
TextFiles& SystemTextFiles();

// Replaces the lines of `list` by the decoded content of the file and sets its
// file encoding. Raises Error with the open, read or decoding failure; the
// list is left as it was on failure.
void LoadFromFile(StringList& list, const Text& path, TextFiles& files);

// Writes the list text in the list's file encoding (the system code page when
// the list was never loaded), after the encoding's mark. Raises Error with the
// create or write failure; a file whose writing failed is removed.
void SaveToFile(const StringList& list, const Text& path, TextFiles& files);

// Saves as SaveToFile would a list with this file encoding whose text is the
// pieces one after another. The text is encoded and written a part at a time,
// so that a large page is never held whole, in either form.
void SavePiecesToFile(const std::vector<TextView>& pieces, std::optional<TextEncoding> encoding,
                      const Text& path, TextFiles& files);

// A system error text without its trailing characters up to U+0020 and its
// trailing full stops.
Text TrimErrorText(Text text);

}  // namespace ostrivel
