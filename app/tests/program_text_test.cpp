// Texts derived from the executable and from failures; the scaling rule and
// the run-time lookup of the per-monitor DPI query.

#include <gtest/gtest.h>

#include <stdexcept>

#include "app/dpi.h"
#include "app/program_text.h"
#include "core/error.h"

namespace ostrivel {
namespace {

TEST(FailureBoxText, FullStopRule) {
  struct Row {
    const char* message;
    const char* shown;
  };
  const Row rows[] = {
      {"Cannot open file", "Cannot open file."},
      {"ends in a digit 7", "ends in a digit 7."},
      {"已经结束。", "已经结束。."},  // beyond ASCII: gets one
      {"磁盘已满", "磁盘已满."},
      {"slash/", "slash/."},  // "/" comes after "."
      {"done.", "done."},
      {"bang!", "bang!"},
      {"comma,", "comma,"},
      {"dash-", "dash-"},
      {"space ", "space "},
      {"quote\"", "quote\""},
      {"", ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.message);
    EXPECT_EQ(Utf8(FailureBoxText(std::make_exception_ptr(Error(U(row.message))))), row.shown);
    EXPECT_EQ(Utf8(WithFullStop(U(row.message))), row.shown);
  }
  // Failures that are not ours carry their text too.
  EXPECT_EQ(Utf8(FailureBoxText(std::make_exception_ptr(std::runtime_error("bad alloc")))),
            "bad alloc.");
  EXPECT_FALSE(FailureBoxText(std::make_exception_ptr(42)).empty());
}

std::exception_ptr Wrapped(const char* outer, const char* inner, const char* innermost) {
  try {
    try {
      try {
        throw Error(U(innermost));
      } catch (...) {
        std::throw_with_nested(Error(U(inner)));
      }
    } catch (...) {
      std::throw_with_nested(Error(U(outer)));
    }
  } catch (...) {
    return std::current_exception();
  }
}

TEST(FailureBoxText, InnermostFailureSpeaksWhenItHasText) {
  EXPECT_EQ(Utf8(FailureBoxText(Wrapped("outer", "inner", "root cause"))), "root cause.");
  EXPECT_EQ(Utf8(FailureBoxText(Wrapped("outer", "inner", ""))), "outer.");
}

TEST(ProgramTitle, FileNameUpToTheFirstDotWithTheRestLowered) {
  struct Row {
    const char* path;
    const char* title;
  };
  const Row rows[] = {
      {"C:\\Program Files\\Vantreth\\Ostrivel.exe", "Ostrivel"},
      {"C:\\Tools\\OSTRIVEL.EXE", "Ostrivel"},
      {"C:\\a.b\\my.tool.exe", "my"},
      {"D:\\x\\ÄBCÖ.exe", "Äbcö"},
      {"\\\\server\\share\\NoDot", "Nodot"},
      {"C:\\x\\.hidden.exe", ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.path);
    EXPECT_EQ(Utf8(ProgramTitle(U(row.path))), row.title);
  }
}

TEST(FolderOfPath, UpToTheLastBackslashOrColon) {
  EXPECT_EQ(FolderOfPath(U("C:\\Program Files\\Ostrivel.exe")), U("C:\\Program Files\\"));
  EXPECT_EQ(FolderOfPath(U("C:Ostrivel.exe")), U("C:"));
  EXPECT_EQ(FolderOfPath(U("\\\\srv\\share\\o.exe")), U("\\\\srv\\share\\"));
  EXPECT_EQ(FolderOfPath(U("Ostrivel.exe")), Text());
}

TEST(ScaleBounds, FarEdgesScaleSoThatNeighboursStayAdjacent) {
  // Three controls side by side, each 1 pixel wide: scaled one by one at 150 %
  // they would overlap or leave gaps.
  const Bounds a{1, 1, 1, 1}, b{2, 1, 1, 1}, c{3, 1, 1, 1};
  const Bounds sa = ScaleBounds(a, 144, 96), sb = ScaleBounds(b, 144, 96),
               sc = ScaleBounds(c, 144, 96);
  EXPECT_EQ(sa, (Bounds{2, 2, 1, 1}));  // 1.5 -> 2, far edge 3
  EXPECT_EQ(sa.left + sa.width, sb.left);
  EXPECT_EQ(sb.left + sb.width, sc.left);
  EXPECT_EQ(ScaleBounds({248, 14, 75, 25}, 144, 96), (Bounds{372, 21, 113, 38}));
  EXPECT_EQ(ScaleBounds({248, 14, 75, 25}, 96, 96), (Bounds{248, 14, 75, 25}));
  // Rounding halves away from zero, as MulDiv does.
  EXPECT_EQ(ScaleBounds({-3, 0, 1, 1}, 144, 96).left, -5);
}

TEST(MonitorDpi, MissingQueryFallsBackToTheSystemDpi) {
  EXPECT_EQ(FindGetDpiForMonitor(L"no-such-library-ostrivel.dll"), nullptr);
  HDC dc = GetDC(nullptr);
  const int system = GetDeviceCaps(dc, LOGPIXELSY);
  ReleaseDC(nullptr, dc);
  HMONITOR primary = MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY);
  EXPECT_EQ(MonitorDpi(primary, nullptr), system);
  // A query that fails reads as 0, which leaves the window unscaled.
  auto failing = [](HMONITOR, int, UINT*, UINT*) -> HRESULT { return E_FAIL; };
  EXPECT_EQ(MonitorDpi(primary, failing), 0);
  auto fixed = [](HMONITOR, int kind, UINT* x, UINT* y) -> HRESULT {
    *x = *y = kind == 0 ? 144 : 1;  // only the effective DPI is asked for
    return S_OK;
  };
  EXPECT_EQ(MonitorDpi(primary, fixed), 144);
  // Where shcore has it, the real query answers for the primary monitor.
  if (auto query = FindGetDpiForMonitor()) {
    EXPECT_GE(MonitorDpi(primary, query), 96);
  }
}

}  // namespace
}  // namespace ostrivel
