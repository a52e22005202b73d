#pragma once
// What the tests of faults on real disks share: a listing run over a
// temporary tree on the system's own back ends, and a small file system.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "page/date_time.h"
#include "scan/collation.h"
#include "scan/listing_run.h"
#include "tests/listing_fakes.h"
#include "tests/record_block.h"
#include "tests/temp_tree.h"

namespace ostrivel::testing {

// A temporary tree with app/template.html, src/ (the source root) and out/
// (the output folder the chooser returns), and a run over it.
class RealRun {
 public:
  RealRun();

  void SetTemplate(const std::string& bytes);
  // The whole run; the message of the failure that ended it, if one did.
  // With `helper`, a second thread builds records too, on a file system and
  // a collation of its own, as the command-line front end has it.
  std::optional<Text> Run(bool helper = false);
  // Every record parsed, with the counts checked against the catalogue.
  std::vector<ParsedRecord> Records();
  int32_t IndexOf(const Text& path) const;

  static std::vector<Text> FilesIn(const Text& folder);
  // A path as its record writes it: "&amp;" for "&", "/" for "\".
  static Text Shown(const Text& path);

  TempTree tree;
  RecordingUi ui;
  std::unique_ptr<ListingRun> run;

 private:
  std::unique_ptr<Collation> collation_;
  RegionalSettings regional_;
  Text appDir_;
};

// A file system of 64 KiB mounted at a new folder, unmounted and removed
// when destroyed; null where that cannot be done (not root, not Linux).
class SmallDisk {
 public:
  static std::unique_ptr<SmallDisk> Mount(const Text& folder);
  ~SmallDisk();
  const Text& Folder() const { return folder_; }

 private:
  explicit SmallDisk(Text folder) : folder_(std::move(folder)) {}
  Text folder_;
};

// The environment variable as text; empty when it is not set.
Text FromEnvironment(const char* name);

}  // namespace ostrivel::testing
