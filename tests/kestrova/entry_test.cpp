#include <gtest/gtest.h>

#include <filesystem>

#include "brantic/enumeration.h"
#include "bx3/commands.h"
#include "bx3/host.h"
#include "bx3/module.h"
#include "commands/kvcommands.h"
#include "ids/kvids.h"
#include "ids/kvresources.h"
#include "main.h"

namespace {

// The module's code is linked into this test; the host records point at the module's
// source folder, whose res/ holds the string resources.
class EntryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bx3::FreeRegisteredCommands();  // the host's own, from tests that started it
    host_ = {bx3::kHostApiVersion, 0, kModulePath};
  }
  void TearDown() override {
    bx3::FreeRegisteredCommands();
    while (kv::ModuleStartCount() > 0) bx3_main(bx3::kModuleEnd, 0, 0, 0);
  }
  int32_t Start() { return bx3_main(bx3::kModuleStart, 0, 0, reinterpret_cast<intptr_t>(&host_)); }
  int32_t LoadResources() {
    bx3::ResourceState state{};
    state.pending = 1;
    bx3::ResourceRequest request{};
    request.state = &state;
    const int32_t answer =
        bx3_main(bx3::kModuleMessage, bx3::kModuleMessageLoadResources, reinterpret_cast<intptr_t>(&request), 0);
    resourcesCleared_ = state.pending == 0;
    return answer;
  }

  static constexpr const char* kModulePath = KV_MODULE_SOURCE_DIR "/kestrova.so";
  bx3::HostRecord host_{};
  bool resourcesCleared_ = false;
};

TEST_F(EntryTest, StartAndEndActions) {
  bx3::HostRecord old{23099, 0, kModulePath};
  EXPECT_EQ(bx3_main(bx3::kModuleStart, 0, 0, 0), -3);  // no host record
  EXPECT_EQ(bx3_main(bx3::kModuleStart, 0, 0, reinterpret_cast<intptr_t>(&old)), -3);
  EXPECT_EQ(kv::ModuleStartCount(), 0);
  EXPECT_EQ(Start(), 1);
  EXPECT_EQ(kv::GetModuleFolder(), KV_MODULE_SOURCE_DIR);
  EXPECT_EQ(*brantic::EnumerationToText("ASSETTYPE", 32), "REFERENCED3D");
  // A second start does no setup; its end does no teardown.
  bx3::HostRecord other{bx3::kHostApiVersion, 0, "/elsewhere/kestrova.so"};
  EXPECT_EQ(bx3_main(bx3::kModuleStart, 0, 0, reinterpret_cast<intptr_t>(&other)), 1);
  EXPECT_EQ(kv::GetModuleFolder(), KV_MODULE_SOURCE_DIR);
  EXPECT_EQ(LoadResources(), 1);
  EXPECT_TRUE(resourcesCleared_);
  EXPECT_EQ(bx3_main(bx3::kModuleEnd, 0, 0, 0), 1);
  EXPECT_TRUE(kv::ModuleResourcesLoaded());
  EXPECT_EQ(bx3_main(bx3::kModuleEnd, 0, 0, 0), 1);
  EXPECT_FALSE(kv::ModuleResourcesLoaded());
  EXPECT_EQ(bx3_main(bx3::kModuleEnd, 0, 0, 0), 1);  // unmatched ends are harmless
  EXPECT_EQ(kv::ModuleStartCount(), 0);

  struct Case {
    int32_t action;
    intptr_t p1;
    int32_t answer;
  };
  const Case cases[] = {{4, 0, 5}, {0, 0, -1}, {5, 0, -1}, {7, 0, -1}, {6, 0, 1}, {6, 2, -1}};
  for (const Case& c : cases) EXPECT_EQ(bx3_main(c.action, c.p1, 0, 0), c.answer) << c.action;
}

TEST_F(EntryTest, ResourcesThatCannotLoadAnswerMinusOne) {
  host_.modulePath = "/nonexistent/folder/kestrova.so";
  ASSERT_EQ(Start(), 1);
  EXPECT_EQ(LoadResources(), -1);
  EXPECT_FALSE(resourcesCleared_);
}

TEST_F(EntryTest, RegistersEveryCommandInOrder) {
  ASSERT_EQ(Start(), 1);
  ASSERT_EQ(LoadResources(), 1);
  ASSERT_EQ(bx3_main(bx3::kModulePluginStart, 0, 0, 0), 1);
  const auto& commands = bx3::GetRegisteredCommands();
  ASSERT_EQ(commands.size(), 49u);
  EXPECT_EQ(commands[0].id, kv::kMainCommandId);
  EXPECT_EQ(commands[0].name, "Asset Inspector...");
  EXPECT_TRUE(commands[0].help.IsEmpty());
  size_t count = 0;
  const kv::SubCommandEntry* table = kv::SubCommandTable(count);
  ASSERT_EQ(count, 48u);
  for (size_t i = 0; i < count; ++i) {
    const bx3::RegisteredCommand& command = commands[i + 1];
    EXPECT_EQ(command.id, table[i].id);
    EXPECT_EQ(command.flags, 0x10000000);
    EXPECT_EQ(command.name, kv::GetResourceString(table[i].nameResource));
    EXPECT_FALSE(command.name.IsEmpty()) << command.id;
    EXPECT_EQ(command.help.IsEmpty(), table[i].helpResource == 0) << command.id;
  }
  EXPECT_EQ(commands[48].id, kv::kGroupByFormat);
  ASSERT_EQ(bx3::GetRegisteredManagers().size(), 1u);
  EXPECT_EQ(bx3::GetRegisteredManagers()[0].name, "Asset Inspector");
  // The group-mode commands carry their own id as group mode.
  auto* groupMode = dynamic_cast<kv::Kv_ViewGroupModeByCommand*>(bx3::FindCommand(kv::kGroupByLayer));
  ASSERT_NE(groupMode, nullptr);
  EXPECT_EQ(groupMode->GroupMode(), kv::kGroupByLayer);
  // Without a window toolkit the inspector cannot open: enabled, never checked.
  EXPECT_EQ(bx3::GetCommandState(kv::kMainCommandId), bx3::kCmdEnabled);
  EXPECT_EQ(bx3::GetCommandState(kv::kCmdSelectActive), bx3::kCmdEnabled);
}

TEST_F(EntryTest, RegistrationStopsAtTheFirstFailure) {
  ASSERT_EQ(Start(), 1);
  ASSERT_EQ(LoadResources(), 1);
  // The host already has a command with the id of the tenth sub-command.
  ASSERT_TRUE(bx3::RegisterCommandPlugin(kv::kCmdInvertSelection, "taken", 0, nullptr, "",
                                         std::make_unique<bx3::CommandData>()));
  EXPECT_EQ(bx3_main(bx3::kModulePluginStart, 0, 0, 0), 0);
  const auto& commands = bx3::GetRegisteredCommands();
  // The blocking command, the main command and the nine sub-commands before the failure.
  ASSERT_EQ(commands.size(), 11u);
  EXPECT_EQ(commands.back().id, kv::kCmdSelectActive);
  EXPECT_EQ(bx3::FindCommand(kv::kCmdShowSelected), nullptr);
}

TEST_F(EntryTest, CommandInformationAnswer) {
  kv::Kv_SelectAllCommand command(nullptr);
  // The host's own command each one stands for; -5: none.
  for (const auto& [commandId, hostCommand] : {std::pair{kv::kCmdSelectAll, 12112},
                                               {kv::kCmdDeselectAll, 12113},
                                               {kv::kCmdInvertSelection, 12374},
                                               {kv::kCmdSelectMissing, -5},
                                               {kv::kCmdLocalize, -5}}) {
    bx3::CommandInformation info{commandId, 0, -5};
    EXPECT_TRUE(command.Message(bx3::kMsgCommandInformation, &info));
    EXPECT_EQ(info.managerId, kv::kMainCommandId);
    EXPECT_EQ(info.hostCommandId, hostCommand) << commandId;
  }
  EXPECT_TRUE(command.Message(bx3::kMsgCommandInformation, nullptr));
  bx3::CommandInformation untouched{1, 2, 3};
  EXPECT_TRUE(command.Message(42, &untouched));
  EXPECT_EQ(untouched.managerId, 2);
  EXPECT_EQ(untouched.hostCommandId, 3);
  // Until their behaviour arrives, sub-commands answer as commands without a dialog.
  EXPECT_FALSE(command.Execute(nullptr, nullptr));
  EXPECT_EQ(command.CommandState(nullptr, nullptr), bx3::kCmdDisabled);
}

}  // namespace
