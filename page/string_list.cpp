#include "page/string_list.h"

namespace ostrivel {

Text StringList::GetText() const {
  size_t total = 0;
  for (const Text& line : lines_) total += line.size() + 2;
  Text text;
  text.reserve(total);
  for (const Text& line : lines_) {
    text.append(line);
    text.append(u"\r\n");
  }
  return text;
}

void StringList::SetText(TextView text) {
  lines_.clear();
  const size_t n = text.size();
  size_t pos = 0;
  while (pos < n && text[pos] != u'\0') {
    size_t end = pos;
    while (end < n && text[end] != u'\r' && text[end] != u'\n' && text[end] != u'\0') ++end;
    lines_.emplace_back(text.substr(pos, end - pos));
    pos = end;
    if (pos < n && text[pos] == u'\r') ++pos;
    if (pos < n && text[pos] == u'\n') ++pos;
  }
}

}  // namespace ostrivel
