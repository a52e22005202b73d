#include "scan/records.h"

#include <utility>
#include <vector>

#include "core/error.h"
#include "page/date_time.h"
#include "scan/catalogue.h"
#include "scan/file_queries.h"
#include "scan/listing_ui.h"

namespace ostrivel {
namespace {

void AppendEscaped(Text& out, TextView text) {
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'&') {
      out.append(text, start, i - start);
      out.append(u"&amp;");
      start = i + 1;
    }
  }
  out.append(text, start, TextView::npos);
}

// Appends a listing to a scratch list that was just cleared, without copying
// the paths.
void Fill(StringList& list, std::vector<Text> paths) {
  if (list.Count() == 0) {
    list.Lines() = std::move(paths);
  } else {
    for (Text& path : paths) list.Add(std::move(path));
  }
}

}  // namespace

int64_t WrappingAdd(int64_t a, int64_t b) {
  return static_cast<int64_t>(static_cast<uint64_t>(a) + static_cast<uint64_t>(b));
}

Text EscapeAmp(TextView text) {
  Text out;
  out.reserve(text.size());
  AppendEscaped(out, text);
  return out;
}

Text DirectoryRecord(int32_t index, const StringList& dirList, RecordWork work,
                     const RecordServices& services) {
  FileQueries& queries = services.queries;
  work.fileList.Clear();
  // A copy: handlers that run inside ProcessPendingMessages cannot pull it away.
  const Text path = dirList[index];

  // [A] The directory's own entry.
  Text entry;
  entry.reserve(path.size() + 32);
  entry.push_back(u'"');
  AppendEscaped(entry, path);
  try {
    const double value = queries.DirectoryWriteTime(path);
    entry.append(u"*0*");
    AppendNumericDateTime(entry, services.regional.Format(), value);
  } catch (const Error&) {
    entry.append(u"*0*-");
  }
  entry.push_back(u'"');

  // [B] The file entries, in name order of the full paths.
  Text files;
  int64_t sizeSum = 0;
  try {
    Fill(work.fileList, queries.ListFiles(path));
    SortByName(work.fileList, services.collation);
    FileEntry file;  // one for every file: its name's room is reused
    for (int32_t i = 0; i < work.fileList.Count(); ++i) {
      // [C] One file. A time that cannot be converted leaves the size counted
      // but the file without an entry.
      try {
        if (queries.LookUpFile(work.fileList[i], file)) {
          sizeSum = WrappingAdd(sizeSum, file.Size);
          const double value = queries.FileTimeToLocalDateTime(file.WriteTime);
          files.append(u",\"");
          AppendEscaped(files, file.Name);
          files.push_back(u'*');
          files.append(Decimal(file.Size));
          files.push_back(u'*');
          AppendNumericDateTime(files, services.regional.Format(), value);
          files.push_back(u'"');
          ++work.fileCount;
        }
      } catch (const Error&) {
      }
      services.ui.ProcessPendingMessages();
    }
  } catch (const Error&) {
    files.clear();
  }

  work.totalSize = WrappingAdd(work.totalSize, sizeSum);

  // [D] The catalogue indices of the subdirectories, in their name order.
  work.subDirList.Clear();
  Text indices;
  try {
    Fill(work.subDirList, queries.ListSubdirectories(path));
    SortByName(work.subDirList, services.collation);
    for (int32_t i = 0; i < work.subDirList.Count(); ++i) {
      int32_t found = 0;
      if (work.dirIndex.Find(dirList, work.subDirList[i], services.collation, found)) {
        indices.push_back(u'*');
        indices.append(Decimal(found));
      }
      services.ui.ProcessPendingMessages();
    }
  } catch (const Error&) {
    indices.clear();
  }
  if (!indices.empty() && indices.front() == u'*') indices.erase(0, 1);

  const Text sum = files.empty() ? Text() : Decimal(sizeSum);
  Text record;
  record.reserve(5 + entry.size() + files.size() + 1 + sum.size() + 2 + indices.size() + 3);
  record.append(u"D.p([");
  record.append(entry);
  if (files.empty()) {
    record.append(u",0");
  } else {
    record.append(files);
    record.push_back(u',');
    record.append(sum);
  }
  record.append(u",\"");
  record.append(indices);
  record.append(u"\"])");
  return record;
}

void AppendDirectoryRecord(int32_t index, ListingState& state, const RecordServices& services) {
  RecordWork work{state.FileList, state.SubDirList, state.DirIndex, state.FileCount,
                  state.TotalSize};
  state.RecordLines.Add(DirectoryRecord(index, state.DirList, work, services));
}

void ConvertRecordBlock(StringList& recordLines) {
  // Turning "\" into "/" line by line gives the same text as doing it on the
  // joined block. Only a line holding a line break (a source root typed with
  // one) needs the block split again, as setting the list text would.
  // Written without branches, so that the compiler can take many characters
  // at a time: the block is the whole page.
  bool split = false;
  for (Text& line : recordLines.Lines()) {
    bool breaks = false;
    for (char16_t& c : line) {
      breaks |= (c == u'\r') | (c == u'\n') | (c == u'\0');
      c = c == u'\\' ? u'/' : c;
    }
    split |= breaks;
  }
  if (split) recordLines.SetText(recordLines.GetText());
}

}  // namespace ostrivel
