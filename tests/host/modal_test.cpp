#include <gtest/gtest.h>

#include "bx3/dialog.h"
#include "bx3/modal.h"

using namespace bx3;

TEST(ModalTest, QueuedAnswersComeFirstAndHeadlessRunsNeverBlock) {
  ClearQueuedAnswers();
  QueueMessageAnswer(kAnswerYes);
  QueueFileAnswer(Filename("/tmp/chosen.png"));
  QueueFileAnswer(std::nullopt);
  QueueMessageAnswer(kAnswerCancel);
  EXPECT_EQ(QueuedAnswerCount(), 4);
  EXPECT_EQ(MessageDialog(kMessageYesNo, "Copy 3 files?"), kAnswerYes);
  Filename chosen;
  ASSERT_TRUE(FileSelect(chosen, FileSelectMode::Load, "Pick"));
  EXPECT_EQ(chosen.GetString(), "/tmp/chosen.png");
  EXPECT_FALSE(FileSelect(chosen, FileSelectMode::Directory, "Pick a folder"));  // a cancelled dialog
  EXPECT_EQ(MessageDialog(kMessageYesNoCancel, "Locate?"), kAnswerCancel);
  // Nothing queued and no screen: the question is cancelled at once.
  EXPECT_EQ(MessageDialog(kMessageYesNo, "Overwrite?"), kAnswerNo);
  EXPECT_EQ(MessageDialog(kMessageYesNoCancel, "Locate?"), kAnswerCancel);
  EXPECT_EQ(MessageDialog(kMessageInformation, "Done"), kAnswerOk);
  EXPECT_FALSE(FileSelect(chosen, FileSelectMode::Save, "Save as"));
  // A file answer is not taken by a message box, and the other way round.
  QueueFileAnswer(Filename("/x"));
  EXPECT_EQ(MessageDialog(kMessageYesNo, "?"), kAnswerNo);
  EXPECT_EQ(QueuedAnswerCount(), 1);
  ClearQueuedAnswers();

  std::vector<int32_t> shown;
  SetMousePointerHandler([&](int32_t pointer) { shown.push_back(pointer); });
  SetMousePointer(kMousePointerBusy);
  SetMousePointer(kMousePointerNormal);
  SetMousePointerHandler(nullptr);
  EXPECT_EQ(shown, (std::vector<int32_t>{kMousePointerBusy, kMousePointerNormal}));
  EXPECT_EQ(GetMousePointer(), kMousePointerNormal);
}
