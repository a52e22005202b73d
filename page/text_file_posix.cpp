// Text files on POSIX: open/read/write/unlink, errno mapped to the Windows
// error codes, and the locale's character set playing the system code page,
// converted with ICU.

#include <errno.h>
#include <fcntl.h>
#include <langinfo.h>
#include <locale.h>
#include <string.h>
#include <sys/stat.h>
#include <unicode/ucnv.h>
#include <unistd.h>

#include <cstring>
#include <iterator>
#include <string>
#include <type_traits>
#include <vector>

#include "page/text_file.h"
#include "page/text_file_posix.h"

namespace ostrivel {
namespace {

struct ErrnoCode {
  int errnoValue;
  uint32_t code;
};

// The first row for a code is the errno whose text stands for it.
constexpr ErrnoCode kErrnoCodes[] = {
    {ENOENT, 2},          // ERROR_FILE_NOT_FOUND
    {ENOTDIR, 3},         // ERROR_PATH_NOT_FOUND
    {EMFILE, 4},          // ERROR_TOO_MANY_OPEN_FILES
    {ENFILE, 4},          //
    {EACCES, 5},          // ERROR_ACCESS_DENIED
    {EPERM, 5},           //
    {EISDIR, 5},          // CreateFileW on a folder is refused with access denied
    {ENOMEM, 8},          // ERROR_NOT_ENOUGH_MEMORY
    {EROFS, 19},          // ERROR_WRITE_PROTECT
    {EIO, 29},            // ERROR_WRITE_FAULT
    {EBUSY, 32},          // ERROR_SHARING_VIOLATION
    {ETXTBSY, 32},        //
    {EEXIST, 80},         // ERROR_FILE_EXISTS
    {EINVAL, 87},         // ERROR_INVALID_PARAMETER
    {ENOSPC, 112},        // ERROR_DISK_FULL
    {EDQUOT, 112},        //
    {EFBIG, 112},         //
    {ENAMETOOLONG, 206},  // ERROR_FILENAME_EXCED_RANGE
    {ELOOP, 1921},        // ERROR_CANT_RESOLVE_FILENAME
};

// Errno values without a Windows counterpart keep their own text: they are
// carried as customer-defined codes (bit 29), which Windows never uses.
constexpr uint32_t kCustomerCode = 0x20000000;

struct CodeSetNumber {
  const char* name;
  uint32_t codePage;
};

// The Windows numbers of the character sets a locale commonly has.
constexpr CodeSetNumber kCodeSetNumbers[] = {
    {"UTF-8", kCodePageUtf8}, {"ANSI_X3.4-1968", 20127},
    {"ISO-8859-1", 28591},    {"ISO-8859-2", 28592},
    {"ISO-8859-5", 28595},    {"ISO-8859-7", 28597},
    {"ISO-8859-15", 28605},   {"KOI8-R", 20866},
    {"CP1251", 1251},         {"CP1252", 1252},
    {"GB2312", 936},          {"GBK", 936},
    {"GB18030", 54936},       {"BIG5", 950},
    {"BIG5-HKSCS", 950},      {"EUC-JP", 20932},
    {"SHIFT_JIS", 932},       {"EUC-KR", 51949},
};

// A character set without a Windows number; like CP_ACP, it means "the
// system code page" when passed back.
constexpr uint32_t kLocaleCodePage = 0;

std::string Native(const Text& path) { return ToUtf8Lossless(path); }

class PosixFile : public OpenTextFile {
 public:
  explicit PosixFile(int fd) : fd_(fd) {}
  ~PosixFile() override { close(fd_); }

  bool ReadAll(std::string& bytes) override {
    struct stat st;
    if (fstat(fd_, &st) != 0) return false;
    const size_t size = st.st_size > 0 ? static_cast<size_t>(st.st_size) : 0;
    bytes.assign(size, '\0');
    size_t have = 0;
    while (have < size) {
      const ssize_t got = read(fd_, bytes.data() + have, size - have);
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) return false;
      if (got == 0) break;
      have += static_cast<size_t>(got);
    }
    bytes.resize(have);
    // A file that reports no size (a pipe, /proc) is read on to its end.
    if (size == 0 || !S_ISREG(st.st_mode)) {
      char chunk[65536];
      for (;;) {
        const ssize_t got = read(fd_, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return false;
        if (got == 0) break;
        bytes.append(chunk, static_cast<size_t>(got));
      }
    }
    return true;
  }

  size_t Write(std::string_view bytes) override {
    for (;;) {
      const ssize_t put = write(fd_, bytes.data(), bytes.size());
      if (put < 0 && errno == EINTR) continue;
      return put < 0 ? 0 : static_cast<size_t>(put);
    }
  }

 private:
  int fd_;
};

class ScopedConverter {
 public:
  explicit ScopedConverter(const char* name) {
    UErrorCode status = U_ZERO_ERROR;
    converter_ = ucnv_open(name, &status);
    if (U_FAILURE(status)) converter_ = nullptr;
  }
  ~ScopedConverter() {
    if (converter_) ucnv_close(converter_);
  }
  UConverter* get() const { return converter_; }

 private:
  UConverter* converter_ = nullptr;
};

class PosixTextFiles : public TextFiles {
 public:
  std::unique_ptr<OpenTextFile> OpenForRead(const Text& path, uint32_t& error) override {
    const int fd = open(Native(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
      error = CodeFromErrno(errno);
      return nullptr;
    }
    // Opening a folder succeeds here but not on Windows.
    struct stat st;
    if (fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
      close(fd);
      error = CodeFromErrno(EISDIR);
      return nullptr;
    }
    return std::make_unique<PosixFile>(fd);
  }

  std::unique_ptr<OpenTextFile> Create(const Text& path, uint32_t& error) override {
    const int fd = open(Native(path).c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
      error = CodeFromErrno(errno);
      return nullptr;
    }
    return std::make_unique<PosixFile>(fd);
  }

  // Only a regular file: the one a failed save leaves may also be a device
  // or a pipe that the save was pointed at, which must stay.
  bool Remove(const Text& path) override {
    const std::string native = Native(path);
    struct stat st;
    return lstat(native.c_str(), &st) == 0 && S_ISREG(st.st_mode) && unlink(native.c_str()) == 0;
  }

  Text FullPath(const Text& path) override {
    Text base;
    if (!path.starts_with(u'/')) {
      std::vector<char> buffer(4096);
      while (getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE) return path;
        buffer.resize(buffer.size() * 2);
      }
      base = FromUtf8Lossless(buffer.data());
    }
    return AbsolutePath(base, path);
  }

  Text ErrorText(uint32_t code) override { return TextOfCode(code); }

  uint32_t SystemCodePage() override {
    const std::string name = CodeSetName();
    for (const CodeSetNumber& row : kCodeSetNumbers) {
      if (strcasecmp(row.name, name.c_str()) == 0) return row.codePage;
    }
    return kLocaleCodePage;
  }

  // Both conversions run in pieces into a result that grows as needed: no
  // worst-case buffer of several times the size.
  Text Decode(uint32_t codePage, bool strict, std::string_view bytes) override {
    if (bytes.empty()) return {};
    ScopedConverter converter(ConverterName(codePage).c_str());
    if (!converter.get()) return {};
    UErrorCode status = U_ZERO_ERROR;
    if (strict) {
      ucnv_setToUCallBack(converter.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr,
                          &status);
    }
    Text text;
    text.reserve(bytes.size());
    const char* source = bytes.data();
    const char* const sourceEnd = source + bytes.size();
    UChar chunk[32768];
    do {
      status = U_ZERO_ERROR;
      UChar* target = chunk;
      ucnv_toUnicode(converter.get(), &target, chunk + std::size(chunk), &source, sourceEnd,
                     nullptr, true, &status);
      text.append(chunk, static_cast<size_t>(target - chunk));
    } while (status == U_BUFFER_OVERFLOW_ERROR);
    if (U_FAILURE(status)) return {};
    return text;
  }

  std::string Encode(uint32_t codePage, TextView text) override {
    if (text.empty()) return {};
    ScopedConverter converter(ConverterName(codePage).c_str());
    if (!converter.get()) return {};
    std::string bytes;
    bytes.reserve(text.size());
    const UChar* source = text.data();
    const UChar* const sourceEnd = source + text.size();
    char chunk[65536];
    UErrorCode status;
    do {
      status = U_ZERO_ERROR;
      char* target = chunk;
      ucnv_fromUnicode(converter.get(), &target, chunk + sizeof chunk, &source, sourceEnd, nullptr,
                       true, &status);
      bytes.append(chunk, static_cast<size_t>(target - chunk));
    } while (status == U_BUFFER_OVERFLOW_ERROR);
    if (U_FAILURE(status)) return {};
    return bytes;
  }

 private:
  // The locale's character set, read from the environment without changing
  // the process's own locale.
  static std::string CodeSetName() {
    locale_t locale = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(0));
    if (locale == static_cast<locale_t>(0)) return "ANSI_X3.4-1968";
    std::string name = nl_langinfo_l(CODESET, locale);
    freelocale(locale);
    return name;
  }

  // Only UTF-8 and the system code page are ever asked for; any other number
  // is the system code page under the name Windows gives it.
  std::string ConverterName(uint32_t codePage) {
    if (codePage == kCodePageUtf8) return "UTF-8";
    return CodeSetName();
  }
};

}  // namespace

uint32_t CodeFromErrno(int errnoValue) {
  for (const ErrnoCode& row : kErrnoCodes) {
    if (row.errnoValue == errnoValue) return row.code;
  }
  return kCustomerCode | static_cast<uint32_t>(errnoValue);
}

Text TextOfCode(uint32_t code) {
  int errnoValue = 0;
  if (code & kCustomerCode) {
    errnoValue = static_cast<int>(code & ~kCustomerCode);
  } else {
    for (const ErrnoCode& row : kErrnoCodes) {
      if (row.code == code) {
        errnoValue = row.errnoValue;
        break;
      }
    }
  }
  if (errnoValue == 0) return U("Unknown error ") + Decimal(code);
  char buffer[256];
  // The GNU strerror_r returns its text, the XSI one fills the buffer.
  auto result = strerror_r(errnoValue, buffer, sizeof buffer);
  if constexpr (std::is_same_v<decltype(result), char*>) {
    return FromUtf8Lossless(result);
  } else {
    return result == 0 ? FromUtf8Lossless(buffer) : U("Unknown error ") + Decimal(errnoValue);
  }
}

Text AbsolutePath(const Text& base, const Text& path) {
  const Text joined = path.starts_with(u'/') ? path : path.empty() ? base : base + u'/' + path;
  const bool trailingSlash = joined.size() > 1 && joined.back() == u'/';
  std::vector<TextView> parts;
  size_t pos = 0;
  const TextView view = joined;
  while (pos <= view.size()) {
    size_t end = view.find(u'/', pos);
    if (end == TextView::npos) end = view.size();
    const TextView part = view.substr(pos, end - pos);
    if (part == u"..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != u".") {
      parts.push_back(part);
    }
    pos = end + 1;
  }
  Text result;
  for (TextView part : parts) {
    result += u'/';
    result += part;
  }
  if (result.empty() || trailingSlash) result += u'/';
  return result;
}

TextFiles& SystemTextFiles() {
  static PosixTextFiles files;
  return files;
}

}  // namespace ostrivel
