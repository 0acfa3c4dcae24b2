// The module's texts loaded and the host started, for tests of the module's rules without a
// window.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "brantic/jobs.h"
#include "brantic/mainthread.h"
#include "bx3/document.h"
#include "bx3/host.h"
#include "collection/kvassetentry.h"
#include "ids/kvids.h"
#include "ids/kvresources.h"

namespace kvtest {

class ModuleFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(kv::LoadModuleResources(KV_MODULE_SOURCE_DIR));
    bx3::InitializeHost();
  }
  void TearDown() override {
    FinishJobs();
    bx3::CloseAllDocuments();
    kv::FreeModuleResources();
  }
  // Waits for the jobs, then runs what they handed to the main thread.
  static void FinishJobs() {
    brantic::JobQueue::WaitAllIdle();
    brantic::DrainMainThreadQueue();
  }
  // A row that uses `path`, as a file of `type`.
  static kv::KvAssetEntry Row(const std::string& path, uint32_t type = kv::ASSETTYPE_OTHER) {
    kv::KvAssetEntry row;
    row.assetPath = bx3::Filename(path);
    row.assetType = type;
    return row;
  }
};

}  // namespace kvtest
