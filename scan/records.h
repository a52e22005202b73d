#pragma once
// Directory records: one line of script text, D.p([...]), per catalogued
// directory, with its time, its files and the catalogue indices of its
// subdirectories. Every step that touches the file system falls back on its
// own; a record is always written.

#include <cstdint>

#include "core/text.h"
#include "page/string_list.h"
#include "scan/catalogue.h"

namespace ostrivel {

class Collation;
class FileQueries;
class ListingUi;
class RegionalSettings;

// The state every listing run shares, under the names the run uses.
struct ListingState {
  Text SourceRoot;         // the source root as the run took it
  StringList DirList;      // the catalogue, sorted in name order
  StringList SubDirList;   // scratch: one directory's subdirectories
  StringList FileList;     // scratch: one directory's files
  StringList RecordLines;  // one record per catalogue index
  NameIndex DirIndex;      // finds the subdirectories of a record in DirList
  int64_t FileCount = 0;   // files written into records in this run
  int64_t TotalSize = 0;   // bytes of all files of the run's records
  Text AppDir;             // the executable's folder, ending in a separator
};

// What the records are built with.
struct RecordServices {
  FileQueries& queries;
  Collation& collation;
  const RegionalSettings& regional;  // read afresh for every time text
  ListingUi& ui;                     // ProcessPendingMessages after every file and lookup
};

// Sizes add up in two's complement: a sum past the 64-bit range wraps instead
// of being undefined.
int64_t WrappingAdd(int64_t a, int64_t b);

// Every "&" written as "&amp;"; nothing else is touched.
Text EscapeAmp(TextView text);

// What one thread builds records with besides the catalogue: its scratch
// lists, its index of the catalogue and the counters it adds to.
struct RecordWork {
  StringList& fileList;
  StringList& subDirList;
  NameIndex& dirIndex;
  int64_t& fileCount;
  int64_t& totalSize;
};

// The record of dirList[index]; adds to the work's file count and total size.
// Never fails on the file system's account.
Text DirectoryRecord(int32_t index, const StringList& dirList, RecordWork work,
                     const RecordServices& services);

// Builds the record of DirList[index], appends it to RecordLines and adds to
// FileCount and TotalSize. Never fails on the file system's account.
void AppendDirectoryRecord(int32_t index, ListingState& state, const RecordServices& services);

// Every "\" of the record block becomes "/".
void ConvertRecordBlock(StringList& recordLines);

}  // namespace ostrivel
