#include "core/text.h"

#include <cstring>

namespace ostrivel {

Text FromUtf8Lossless(std::string_view bytes) {
  Text out;
  FromUtf8Lossless(bytes, out);
  return out;
}

void FromUtf8Lossless(std::string_view bytes, Text& out) {
  // At most one unit per byte: written through a pointer, then cut to size.
  out.resize(bytes.size());
  char16_t* o = out.data();
  const auto* s = reinterpret_cast<const unsigned char*>(bytes.data());
  const size_t n = bytes.size();
  size_t i = 0;
  while (i < n) {
    // Runs of ASCII eight bytes at a time: most names are mostly ASCII.
    while (i + 8 <= n) {
      uint64_t word;
      std::memcpy(&word, s + i, sizeof word);
      if ((word & 0x8080808080808080ULL) != 0) break;
      for (int k = 0; k < 8; ++k) o[k] = s[i + k];
      o += 8;
      i += 8;
    }
    if (i >= n) break;
    const unsigned char b = s[i];
    if (b < 0x80) {
      *o++ = b;
      ++i;
      continue;
    }
    // Length and the allowed range of the second byte (rules out overlong
    // forms, surrogates and code points above U+10FFFF).
    int len = 0;
    unsigned char lo = 0x80, hi = 0xBF;
    if (b >= 0xC2 && b <= 0xDF) {
      len = 2;
    } else if (b == 0xE0) {
      len = 3, lo = 0xA0;
    } else if (b == 0xED) {
      len = 3, hi = 0x9F;
    } else if (b >= 0xE1 && b <= 0xEF) {
      len = 3;
    } else if (b == 0xF0) {
      len = 4, lo = 0x90;
    } else if (b >= 0xF1 && b <= 0xF3) {
      len = 4;
    } else if (b == 0xF4) {
      len = 4, hi = 0x8F;
    }
    bool ok = len > 0 && i + len <= n && s[i + 1] >= lo && s[i + 1] <= hi;
    for (int k = 2; ok && k < len; ++k) ok = (s[i + k] & 0xC0) == 0x80;
    if (!ok) {
      *o++ = static_cast<char16_t>(0xDC00 + b);
      ++i;
      continue;
    }
    char32_t cp = b & (0xFF >> (len + 1));
    for (int k = 1; k < len; ++k) cp = (cp << 6) | (s[i + k] & 0x3F);
    if (cp >= 0x10000) {
      cp -= 0x10000;
      *o++ = static_cast<char16_t>(0xD800 + (cp >> 10));
      *o++ = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
      *o++ = static_cast<char16_t>(cp);
    }
    i += len;
  }
  out.resize(static_cast<size_t>(o - out.data()));
}

namespace {

// Writes the UTF-8 of `text` from `o` on, which has room for three bytes per
// unit (the longest result), and returns where it ended: no check of the
// room per byte.
char* EncodeUtf8(TextView text, char* o) {
  const size_t n = text.size();
  for (size_t i = 0; i < n; ++i) {
    // Runs of ASCII eight units at a time.
    while (i + 8 <= n) {
      char16_t units[8];
      std::memcpy(units, text.data() + i, sizeof units);
      char16_t any = 0;
      for (const char16_t u : units) any |= u;
      if (any >= 0x80) break;
      for (int k = 0; k < 8; ++k) o[k] = static_cast<char>(units[k]);
      o += 8;
      i += 8;
    }
    if (i >= n) break;
    char32_t cp = text[i];
    if (cp < 0x80) {
      *o++ = static_cast<char>(cp);
      continue;
    }
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < n && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xDC80 && cp <= 0xDCFF) {
      *o++ = static_cast<char>(cp - 0xDC00);
      continue;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    if (cp < 0x800) {
      *o++ = static_cast<char>(0xC0 | (cp >> 6));
    } else if (cp < 0x10000) {
      *o++ = static_cast<char>(0xE0 | (cp >> 12));
      *o++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    } else {
      *o++ = static_cast<char>(0xF0 | (cp >> 18));
      *o++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      *o++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    }
    *o++ = static_cast<char>(0x80 | (cp & 0x3F));
  }
  return o;
}

}  // namespace

std::string ToUtf8Lossless(TextView text) {
  // Short texts (paths, names) go through a buffer on the stack, so that the
  // result is allocated once at its size.
  constexpr size_t kShort = 256;
  if (text.size() <= kShort) {
    char small[kShort * 3];
    return std::string(small, EncodeUtf8(text, small));
  }
  std::string out;
  ToUtf8Lossless(text, out);
  return out;
}

void ToUtf8Lossless(TextView text, std::string& out) {
  out.resize(text.size() * 3);
  out.resize(static_cast<size_t>(EncodeUtf8(text, out.data()) - out.data()));
}

Text Decimal(int64_t value) {
  char16_t buf[24];
  char16_t* end = buf + 24;
  char16_t* p = end;
  // Work in unsigned so that the most negative value has a magnitude.
  uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  do {
    *--p = static_cast<char16_t>(u'0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (value < 0) *--p = u'-';
  return Text(p, end);
}

Text ReplaceAll(TextView text, TextView from, TextView to) {
  if (from.empty()) return Text(text);
  Text out;
  size_t pos = 0;
  size_t hit = text.find(from);
  if (hit == TextView::npos) return Text(text);
  out.reserve(text.size());
  while (hit != TextView::npos) {
    out.append(text, pos, hit - pos);
    out.append(to);
    pos = hit + from.size();
    hit = text.find(from, pos);
  }
  out.append(text, pos, TextView::npos);
  return out;
}

}  // namespace ostrivel
