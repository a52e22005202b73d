// Faults on a real POSIX disk that need the system's own means: a small
// tmpfs for a full disk, and a folder made unreadable during the run, which
// only stops a process that is not root (as root the test runs its body as
// the user nobody, in a child process).

#include <grp.h>
#include <pwd.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "tests/real_faults.h"
#include "tests/temp_tree_platform.h"

namespace ostrivel::testing {

std::unique_ptr<SmallDisk> SmallDisk::Mount(const Text& folder) {
  const std::string path = Utf8(folder);
  if (geteuid() != 0 || mkdir(path.c_str(), 0755) != 0) return nullptr;
  if (mount("tmpfs", path.c_str(), "tmpfs", 0, "size=64k") != 0) {
    rmdir(path.c_str());
    return nullptr;
  }
  return std::unique_ptr<SmallDisk>(new SmallDisk(folder));
}

SmallDisk::~SmallDisk() {
  const std::string path = Utf8(folder_);
  umount2(path.c_str(), MNT_DETACH);
  rmdir(path.c_str());
}

namespace {

// A child process's failures, on its standard error, which the death test shows.
void ReportFailures() {
  const ::testing::TestResult* result =
      ::testing::UnitTest::GetInstance()->current_test_info()->result();
  for (int i = 0; i < result->total_part_count(); ++i) {
    const ::testing::TestPartResult& part = result->GetTestPartResult(i);
    if (part.failed()) {
      std::fprintf(stderr, "%s:%d: %s\n", part.file_name() ? part.file_name() : "?",
                   part.line_number(), part.summary());
    }
  }
}

// As root nothing is unreadable: the body runs as nobody in a child process,
// whose exit status carries its failures back.
template <typename Body>
void Unprivileged(Body body) {
  if (geteuid() != 0) {
    body();
    return;
  }
  const passwd* nobody = getpwnam("nobody");
  if (nobody == nullptr) GTEST_SKIP() << "no user nobody";
  const uid_t uid = nobody->pw_uid;
  const gid_t gid = nobody->pw_gid;
  EXPECT_EXIT(
      {
        if (setgroups(0, nullptr) != 0 || setgid(gid) != 0 || setuid(uid) != 0) std::_Exit(2);
        body();
        ReportFailures();
        std::_Exit(::testing::Test::HasFailure() ? 1 : 0);
      },
      ::testing::ExitedWithCode(0), "");
}

// A folder that was catalogued becomes unreadable before its record: the
// record keeps its time (the folder itself can still be looked at) and falls
// back to no files and no subdirectories; the folder below it, catalogued too,
// can no longer be looked at at all. Everything else is listed.
TEST(RealFaults, FolderMadeUnreadableDuringTheRun) {
  Unprivileged([] {
    RealRun r;
    r.tree.File(u"src/a/1.txt", 4);
    r.tree.File(u"src/secret/s.txt", 100);
    r.tree.File(u"src/secret/inner/t.txt", 100);
    r.tree.File(u"src/z/z.txt", 6);
    const Text secret = r.tree.Path(u"src/secret");
    bool locked = false;
    r.ui.onPump = [&] {
      if (!locked) locked = chmod(Utf8(secret).c_str(), 0) == 0;
    };
    const std::optional<Text> error = r.Run();
    chmod(Utf8(secret).c_str(), 0700);  // so that the tree can be removed
    ASSERT_EQ(error, std::nullopt) << Utf8(*error);
    ASSERT_TRUE(locked);
    EXPECT_EQ(r.run->LastOutcome(), ListingOutcome::PageWritten);
    const std::vector<ParsedRecord> records = r.Records();
    ASSERT_EQ(r.run->DirList.Count(), 5);

    const int32_t s = r.IndexOf(secret);
    ASSERT_GE(s, 0);
    EXPECT_TRUE(records[s].hasTime);
    EXPECT_TRUE(records[s].files.empty());
    EXPECT_TRUE(records[s].indices.empty());
    EXPECT_TRUE(r.run->RecordLines[s].ends_with(u"\",0,\"\"])")) << Utf8(r.run->RecordLines[s]);
    const int32_t inner = r.IndexOf(r.tree.Path(u"src/secret/inner"));
    ASSERT_GE(inner, 0);
    // Its attributes cannot be read once the path checks have passed: time 0.0.
    EXPECT_EQ(r.run->RecordLines[inner], u"D.p([\"" +
                                             RealRun::Shown(r.tree.Path(u"src/secret/inner")) +
                                             u"*0*1899/12/30 0:00:00\",0,\"\"])");
    EXPECT_EQ(r.run->FileCount, 2);
    EXPECT_EQ(r.run->TotalSize, 10);
  });
}

// Unreadable from the start: catalogued by its parent's search, nothing below.
TEST(RealFaults, FolderUnreadableFromTheStart) {
  Unprivileged([] {
    RealRun r;
    r.tree.File(u"src/locked/inside/x.txt", 1);
    r.tree.File(u"src/open.txt", 2);
    const Text locked = r.tree.Path(u"src/locked");
    ASSERT_EQ(chmod(Utf8(locked).c_str(), 0), 0);
    const std::optional<Text> error = r.Run();
    chmod(Utf8(locked).c_str(), 0700);
    ASSERT_EQ(error, std::nullopt);
    r.Records();
    EXPECT_EQ(r.run->DirList.Lines(), (std::vector<Text>{r.tree.Path(u"src"), locked}));
    const int32_t k = r.IndexOf(locked);
    ASSERT_GE(k, 0);
    EXPECT_TRUE(r.run->RecordLines[k].ends_with(u"\",0,\"\"])")) << Utf8(r.run->RecordLines[k]);
    EXPECT_EQ(r.run->FileCount, 1);
  });
}

}  // namespace
}  // namespace ostrivel::testing
