// The create button: the listing run driven by the window, on an in-memory
// tree, with what the user can do while it goes on.

#include "app/tests/window_fixture.h"

namespace ostrivel::testing {
namespace {

class RunTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    fs.AddFile(U("C:\\Data\\a.txt"), 10);
    fs.AddFile(U("C:\\Data\\sub\\b.txt"), 32);
    fs.AddDirectory(U("D:\\Out"));
    templatePath = form->AppDir() + U("template.html");
    fs.AddFile(templatePath, 60);
    textFiles.files[templatePath] =
        "<title>[TITLE]</title>[SOURCE ROOT] [NUM FILES] [NUM DIRS]\r\n";
    SetText(form->edtdir(), U("C:\\Data"));
    SetText(form->edttitle(), U("Data 快照"));
  }

  // The page of a run ending at the fake clock's 2018-12-08 09:30:00.
  const std::string* Page() const {
    auto it = textFiles.files.find(U("D:\\Out\\181208093000.html"));
    return it == textFiles.files.end() ? nullptr : &it->second;
  }

  Text templatePath;
};

TEST_F(RunTest, CreateButtonRunsTheListingWithTheWindowsTexts) {
  dialogs.answers.push_back({true, U("D:\\Out")});
  clock.ticks = {5000, 6999};
  Click(form->btnSave());
  ASSERT_EQ(dialogs.chooserCalls.size(), 1u);
  EXPECT_EQ(dialogs.chooserCalls[0].prompt, U("请选择快照文件保存的路径"));
  EXPECT_EQ(dialogs.chooserCalls[0].initialFolder, form->AppDir());
  ASSERT_NE(Page(), nullptr);
  EXPECT_NE(Page()->find("C:/Data 2 2"), std::string::npos) << *Page();
  ASSERT_EQ(dialogs.messageBoxes.size(), 1u);
  EXPECT_EQ(dialogs.messageBoxes[0].owner, form->Handle());
  EXPECT_EQ(dialogs.messageBoxes[0].text, U("总耗时1秒"));
  EXPECT_EQ(dialogs.messageBoxes[0].caption, U("操作完成"));
  EXPECT_TRUE(errorBoxes.empty());
}

TEST_F(RunTest, CancellingTheOutputChooserRunsNothing) {
  dialogs.answers.push_back({false, Text()});
  Click(form->btnSave());
  EXPECT_EQ(dialogs.chooserCalls.size(), 1u);
  EXPECT_EQ(Page(), nullptr);
  EXPECT_TRUE(dialogs.messageBoxes.empty());
}

TEST_F(RunTest, ASecondStartDuringARunIsRefused) {
  RecordingDialogs::Answer output{true, U("D:\\Out")};
  // Pressed again while the run pumps its messages.
  output.during = [this] { PostMessageW(form->btnSave(), BM_CLICK, 0, 0); };
  dialogs.answers.push_back(std::move(output));
  dialogs.answers.push_back({true, U("D:\\Second")});
  Click(form->btnSave());
  EXPECT_EQ(dialogs.chooserCalls.size(), 1u) << "the second press asked for no folder";
  EXPECT_EQ(dialogs.messageBoxes.size(), 1u);
  ASSERT_NE(Page(), nullptr);
  EXPECT_NE(Page()->find("C:/Data 2 2"), std::string::npos) << "the first run undisturbed";
  EXPECT_FALSE(form->Run()->InProgress());
  // Once it has ended, the button starts the next run again.
  Click(form->btnSave());
  EXPECT_EQ(dialogs.chooserCalls.size(), 2u);
}

TEST_F(RunTest, ChoosingASourceDuringARunChangesOnlyTheEditBoxes) {
  RecordingDialogs::Answer output{true, U("D:\\Out")};
  output.during = [this] { PostMessageW(form->btnOpen(), BM_CLICK, 0, 0); };
  dialogs.answers.push_back(std::move(output));
  dialogs.answers.push_back({true, U("E:\\Other")});
  Click(form->btnSave());
  ASSERT_EQ(dialogs.chooserCalls.size(), 2u);
  EXPECT_EQ(dialogs.chooserCalls[1].prompt, U("请选择需要快照的磁盘路径"));
  EXPECT_EQ(WindowText(form->edtdir()), U("E:\\Other"));
  ASSERT_NE(Page(), nullptr);
  // The run kept the source root it took at its start; the title, read when
  // the page was written, is the new one.
  EXPECT_NE(Page()->find("C:/Data 2 2"), std::string::npos) << *Page();
  EXPECT_NE(Page()->find("<title>E:\\Other "), std::string::npos) << *Page();
  EXPECT_EQ(dialogs.messageBoxes.size(), 1u);
}

TEST_F(RunTest, ClosingDuringARunEndsTheProgramAfterTheRun) {
  bool terminatedAtMessage = false, visibleAtMessage = false, pageAtMessage = false;
  dialogs.onMessageBox = [&] {
    terminatedAtMessage = app->Terminated();
    visibleAtMessage = IsWindowVisible(form->Handle()) != FALSE;
    pageAtMessage = Page() != nullptr;
  };
  RecordingDialogs::Answer output{true, U("D:\\Out")};
  output.during = [this] { PostMessageW(form->Handle(), WM_CLOSE, 0, 0); };
  dialogs.answers.push_back(std::move(output));
  // Through the main loop, as the program runs it.
  PostMessageW(form->btnSave(), BM_CLICK, 0, 0);
  app->Run();
  EXPECT_TRUE(terminatedAtMessage) << "the close was taken during the run";
  EXPECT_TRUE(visibleAtMessage) << "the window stays until the run has ended";
  EXPECT_TRUE(pageAtMessage) << "the page was written before the message";
  ASSERT_EQ(dialogs.messageBoxes.size(), 1u);
  EXPECT_EQ(dialogs.messageBoxes[0].caption, U("操作完成"));
  EXPECT_TRUE(app->Terminated());
}

TEST_F(RunTest, AFailingPageIsBoxedAndTheWindowGoesOn) {
  textFiles.createErrors[U("D:\\Out\\181208093000.html")] = 5;
  textFiles.errorTexts[5] = U("Access is denied.\r\n");
  dialogs.answers.push_back({true, U("D:\\Out")});
  Click(form->btnSave());
  ASSERT_EQ(errorBoxes.size(), 1u);
  EXPECT_NE(errorBoxes[0].text.find(U("D:\\Out\\181208093000.html")), Text::npos)
      << Utf8(errorBoxes[0].text);
  EXPECT_EQ(errorBoxes[0].caption, U("Ostrivel"));
  EXPECT_TRUE(dialogs.messageBoxes.empty()) << "no completion message after a failure";
  EXPECT_FALSE(form->Run()->InProgress());
  // The window still answers: the next run works.
  textFiles.createErrors.clear();
  dialogs.answers.push_back({true, U("D:\\Out")});
  Click(form->btnSave());
  EXPECT_NE(Page(), nullptr);
  EXPECT_EQ(dialogs.messageBoxes.size(), 1u);
}

}  // namespace
}  // namespace ostrivel::testing
