#include "cli/cli.h"

#include <exception>
#include <memory>
#include <optional>

#include "core/clock.h"
#include "core/error.h"
#include "page/date_time.h"
#include "page/page_generation.h"
#include "page/text_file.h"
#include "scan/collation.h"
#include "scan/file_system.h"
#include "scan/listing_run.h"
#include "scan/listing_ui.h"

namespace ostrivel::cli {
namespace {

constexpr char16_t kUsage[] =
    u"Usage: ostrivel-cli [options] SOURCE [OUTPUT-FOLDER]\n"
    u"Writes a snapshot page of the folder SOURCE and prints the page's path.\n"
    u"\n"
    u"  SOURCE             the source root, taken exactly as given\n"
    u"  OUTPUT-FOLDER      where the page is written; default: the current directory\n"
    u"  -t, --title TEXT   the page title; default: SOURCE followed by \" 快照\"\n"
    u"  --template FILE    the template; default: template.html in the executable's folder\n"
    u"  -q, --quiet        no progress and no completion line\n"
    u"  -h, --help         this help\n"
    u"  --version          the program's name and version\n";

struct Options {
  Text source;
  std::optional<Text> outputFolder;
  std::optional<Text> title;
  std::optional<Text> templatePath;
  bool quiet = false;
  bool help = false;
  bool version = false;
};

// Fills `options`; on a usage error returns false with `problem` set.
bool ParseArguments(const std::vector<Text>& args, Options& options, Text& problem) {
  std::vector<Text> operands;
  bool optionsEnd = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const Text& arg = args[i];
    if (optionsEnd || arg.size() < 2 || arg[0] != u'-') {
      operands.push_back(arg);
      continue;
    }
    if (arg == u"--") {
      optionsEnd = true;
      continue;
    }
    // --name=value is accepted beside --name value.
    Text name = arg;
    std::optional<Text> inlineValue;
    if (arg.starts_with(u"--")) {
      const size_t eq = arg.find(u'=');
      if (eq != Text::npos) {
        name = arg.substr(0, eq);
        inlineValue = arg.substr(eq + 1);
      }
    }
    auto takeValue = [&](std::optional<Text>& target) {
      if (inlineValue) {
        target = *inlineValue;
        return true;
      }
      if (i + 1 >= args.size()) {
        problem = u"option " + name + u" needs a value";
        return false;
      }
      target = args[++i];
      return true;
    };
    bool flag = !inlineValue;
    if (name == u"-t" || name == u"--title") {
      if (!takeValue(options.title)) return false;
    } else if (name == u"--template") {
      if (!takeValue(options.templatePath)) return false;
      if (options.templatePath->empty()) {
        problem = u"option --template needs a file";
        return false;
      }
    } else if (flag && (name == u"-q" || name == u"--quiet")) {
      options.quiet = true;
    } else if (flag && (name == u"-h" || name == u"--help")) {
      options.help = true;
    } else if (flag && name == u"--version") {
      options.version = true;
    } else {
      problem = u"unknown option " + arg;
      return false;
    }
  }
  if (options.help || options.version) return true;
  if (operands.empty()) {
    problem = u"SOURCE is missing";
    return false;
  }
  if (operands.size() > 2) {
    problem = u"too many arguments";
    return false;
  }
  options.source = operands[0];
  if (operands.size() == 2) {
    if (operands[1].empty()) {
      problem = u"OUTPUT-FOLDER is empty";
      return false;
    }
    options.outputFolder = operands[1];
  }
  return true;
}

bool IsSeparator(char16_t c, PathStyle style) {
  return c == u'/' || (style == PathStyle::Windows && c == u'\\');
}

// Like the folder chooser's answer: no trailing separator except on a root.
Text WithoutTrailingSeparators(Text path, PathStyle style) {
  while (path.size() > 1 && IsSeparator(path.back(), style) &&
         !(style == PathStyle::Windows && path[path.size() - 2] == u':')) {
    path.pop_back();
  }
  return path;
}

// Stands in for the window: the output folder is given, messages go to the
// standard error stream, and progress is drawn there when it is a terminal.
class CliUi : public ListingUi {
 public:
  CliUi(const Options& options, Text outputFolder, Text title, Console& console, Clock& clock,
        const ListingRun& run)
      : options_(options),
        outputFolder_(std::move(outputFolder)),
        title_(std::move(title)),
        console_(console),
        clock_(clock),
        run_(run),
        drawProgress_(!options.quiet && console.IsTerminal(Stream::Err)) {}

  bool ChooseFolder(const Text&, Text& folder) override {
    folder = outputFolder_;
    return true;
  }
  void ShowMessageBox(const Text& text, const Text&) override {
    EndProgress();
    if (!options_.quiet) console_.Write(Stream::Err, text + u"\n");
  }
  void ProcessPendingMessages() override {
    // Called after every file: look at the clock only now and then.
    if (!drawProgress_ || ++calls_ % 256 != 0) return;
    if (static_cast<uint32_t>(clock_.TickCount() - lastDraw_) >= kRedrawMs) DrawLive();
  }
  Text SourceText() override { return options_.source; }
  Text TitleText() override { return title_; }
  void Progress(const ListingProgress& progress) override {
    if (!drawProgress_) return;
    const uint32_t now = clock_.TickCount();
    if (!started_) {
      started_ = true;
      startTick_ = now - progress.elapsedMs;
    }
    last_ = progress;
    filesAtLast_ = run_.FileCount;
    if (drawn_ && static_cast<uint32_t>(now - lastDraw_) < kRedrawMs) return;
    Draw(progress.directoriesDone, progress.directoryCount, progress.filesSoFar, now);
  }

  // The last state stays on screen, and what follows starts a new line.
  void EndProgress() {
    if (!drawn_) return;
    DrawLive();
    console_.Write(Stream::Err, u"\n");
    drawn_ = false;
    drawProgress_ = false;
  }

 private:
  static constexpr uint32_t kRedrawMs = 200;

  // Within a record: the last report, with the files this thread has added
  // since (a helper thread's records count in the next report).
  void DrawLive() {
    Draw(last_.directoriesDone, last_.directoryCount,
         last_.filesSoFar + (run_.FileCount - filesAtLast_), clock_.TickCount());
  }

  void Draw(int32_t done, int32_t count, int64_t files, uint32_t now) {
    const uint32_t tenths = static_cast<uint32_t>(now - startTick_) / 100;
    // The numbers only grow, so each line covers the one before it.
    Text line = u"\r目录 " + Decimal(done) + u"/" + Decimal(count) + u"  文件 " + Decimal(files) +
                u"  用时 " + Decimal(tenths / 10) + u"." + Decimal(tenths % 10) + u"秒";
    console_.Write(Stream::Err, line);
    drawn_ = true;
    lastDraw_ = now;
  }

  const Options& options_;
  const Text outputFolder_;
  const Text title_;
  Console& console_;
  Clock& clock_;
  const ListingRun& run_;
  bool drawProgress_;
  ListingProgress last_;
  int64_t filesAtLast_ = 0;
  bool started_ = false;
  bool drawn_ = false;
  uint32_t startTick_ = 0;
  uint32_t lastDraw_ = 0;
  uint32_t calls_ = 0;
};

int UsageError(Console& console, const Text& problem) {
  console.Write(Stream::Err, u"ostrivel-cli: " + problem + u"\n\n" + kUsage);
  return kExitUsage;
}

}  // namespace

int Main(const std::vector<Text>& args, Console& console, Process& process) {
  Options options;
  Text problem;
  if (!ParseArguments(args, options, problem)) return UsageError(console, problem);
  if (options.help) {
    console.Write(Stream::Out, kUsage);
    return kExitWritten;
  }
  if (options.version) {
    console.Write(Stream::Out, Text(kAppName) + u" " + kAppVersion + u"\n");
    return kExitWritten;
  }

  try {
    FileSystem& fs = SystemFileSystem();
    TextFiles& textFiles = SystemTextFiles();
    Clock& clock = SystemClock();
    std::unique_ptr<Collation> collation = MakeUserCollation();
    RegionalSettings regional(SystemLocaleSource());

    const Text outputFolder =
        WithoutTrailingSeparators(options.outputFolder ? process.AbsolutePath(*options.outputFolder)
                                                       : process.CurrentDirectory(),
                                  fs.Style());
    const Text title = options.title ? *options.title : options.source + u" 快照";

    // Nothing of the run is touched by this front end while it runs, so a
    // second thread can build records alongside.
    const std::unique_ptr<FileSystem> helperFs = NewSystemFileSystem();
    const std::unique_ptr<Collation> helperCollation = MakeUserCollation();
    const RecordHelper helper{*helperFs, *helperCollation};
    ListingRun run({fs, *collation, textFiles, clock, regional, &helper},
                   process.ExecutableFolder());
    if (options.templatePath) run.SetTemplatePath(*options.templatePath);
    CliUi ui(options, outputFolder, title, console, clock, run);
    try {
      run.BuildListing(ui);
    } catch (...) {
      ui.EndProgress();
      throw;
    }
    if (run.LastOutcome() == ListingOutcome::TemplateMissing) {
      console.Write(Stream::Err, u"Cannot find template file \"" +
                                     textFiles.FullPath(run.TemplatePath()) + u"\".\n");
      return kExitFailed;
    }
    if (run.LastOutcome() != ListingOutcome::PageWritten) {
      console.Write(Stream::Err, u"No page was written.\n");
      return kExitFailed;
    }
    console.Write(Stream::Out, run.PagePath() + u"\n");
    return kExitWritten;
  } catch (const Error& error) {
    console.Write(Stream::Err, error.Message() + u"\n");
  } catch (const std::exception& error) {
    console.Write(Stream::Err, U(error.what()) + u"\n");
  }
  return kExitFailed;
}

}  // namespace ostrivel::cli
