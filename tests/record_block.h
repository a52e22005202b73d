#pragma once
// Reading directory records back the way the page's script takes them: one
// D.p([...]) call per line whose array is the directory entry, the file
// entries and their sum (or a lone 0), and the subdirectory indices. Names
// may hold "*": the size and the time are the last two parts of an entry.

#include <cstdint>
#include <string>
#include <vector>

#include "core/text.h"

namespace ostrivel::testing {

struct ParsedFile {
  Text name;  // still with "&amp;" for "&"
  int64_t size = 0;
  Text time;
};

struct ParsedRecord {
  Text path;  // still with "&amp;" for "&"
  bool hasTime = false;
  Text time;  // empty when the entry ends in "*0*-"
  std::vector<ParsedFile> files;
  int64_t sum = 0;  // the files part's number (0 for ",0")
  std::vector<int32_t> indices;
};

// One record line. False, with the reason in `why`, when it is not a single
// D.p([...]) call of that shape whose strings hold no double quote, no "\"
// and no control character (the script takes them as they are).
bool ParseRecord(TextView line, ParsedRecord& record, std::string& why);

// A time text of the record format with the separators "/" and ":":
// y/m/d h:nn:ss with a year of at least four digits.
bool IsRecordTime(TextView text);

// "&amp;" back to "&", as the page shows a name.
Text DecodeAmp(TextView text);

}  // namespace ostrivel::testing
