#include <gtest/gtest.h>

#include "brantic/mainthread.h"
#include "bx3/commands.h"
#include "bx3/dialog.h"
#include "bx3/host.h"
#include "support/fake_dialog.h"

using namespace bx3;

namespace {

class CountingCommand : public CommandData {
 public:
  explicit CountingCommand(int* runs) : runs_(runs) {}
  bool Execute(Document*, GeDialog*) override { return ++*runs_ > 0; }
  int32_t CommandState(Document*, GeDialog*) override { return kCmdEnabledChecked; }

 private:
  int* runs_;
};

class RecordingDialog : public GeDialog {
 public:
  bool CoreMessage(int32_t id, const Container& message) override {
    ids.push_back(id);
    values.push_back(message.GetInt64(kMessageValue1));
    return true;
  }
  std::vector<int32_t> ids;
  std::vector<int64_t> values;
};

TEST(CommandsTest, RegistrationRunAndState) {
  int runs = 0;
  ASSERT_TRUE(RegisterCommandPlugin(5001, "Count", kCmdFlagModuleCommand, nullptr, "help",
                                    std::make_unique<CountingCommand>(&runs)));
  EXPECT_FALSE(RegisterCommandPlugin(5001, "Again", 0, nullptr, "", std::make_unique<CountingCommand>(&runs)));
  EXPECT_FALSE(RegisterCommandPlugin(5002, "Null", 0, nullptr, "", nullptr));
  EXPECT_TRUE(CallCommand(5001));
  EXPECT_EQ(runs, 1);
  EXPECT_FALSE(CallCommand(5999));
  EXPECT_EQ(GetCommandState(5001), kCmdEnabledChecked);
  EXPECT_EQ(GetCommandState(5999), kCmdDisabled);

  const unsigned char record[kManagerRecordSize] = {};
  EXPECT_TRUE(RegisterPlugin(kPluginKindManager, 5001, "Count", record, kManagerRecordSize));
  EXPECT_FALSE(RegisterPlugin(kPluginKindManager, 5001, "Count", record, kManagerRecordSize));
  EXPECT_FALSE(RegisterPlugin(99, 5003, "Other kind", record, kManagerRecordSize));
  EXPECT_FALSE(RegisterPlugin(kPluginKindManager, 5004, "Short", record, 16));
  FreeRegisteredCommands();
  EXPECT_TRUE(GetRegisteredCommands().empty());
  EXPECT_TRUE(GetRegisteredManagers().empty());
}

TEST(CommandsTest, SpecialEventsReachOpenDialogsWhenTheQueueDrains) {
  brantic::DrainMainThreadQueue();  // what earlier changes posted
  kvtest::FakeToolkit toolkit;      // windows without a screen
  RecordingDialog closed;
  RecordingDialog open;
  EXPECT_FALSE(open.Open(kDialogNonModal, 77, -1, -1, 100, 100));  // no toolkit yet
  SetDialogToolkit(&toolkit);
  ASSERT_TRUE(open.Open(kDialogNonModal, 77, -1, -1, 100, 100));
  EXPECT_EQ(open.GetPluginId(), 77);

  SpecialEventAdd(1029486, 10096);
  EXPECT_TRUE(open.ids.empty());  // delivered later, not inside the caller
  brantic::DrainMainThreadQueue();
  EXPECT_EQ(open.ids, std::vector<int32_t>{1029486});
  EXPECT_EQ(open.values, std::vector<int64_t>{10096});
  EXPECT_TRUE(closed.ids.empty());

  open.Close();
  SpecialEventAdd(1029486, 10095);
  brantic::DrainMainThreadQueue();
  EXPECT_EQ(open.ids.size(), 1u);
  SetDialogToolkit(nullptr);

  const int64_t updates = GeneralUpdateCount();
  EventAdd();
  EXPECT_EQ(GeneralUpdateCount(), updates + 1);
}

}  // namespace
