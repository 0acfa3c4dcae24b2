// The probing jobs of one collection: each job probes a few files, each on a copy of what the
// probe reads, and hands the results back on the GUI thread to every row of those files.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "brantic/jobs.h"
#include "brantic/result.h"
#include "collection/kvassetentry.h"
#include "collection/kvprobe.h"

namespace kv {

// What the jobs read: each file once, and for every row with a file its identity and file.
// The rows of one file share its entry instead of each carrying copies of the same texts.
struct KvProbeBatch {
  struct File {
    bx3::Filename assetPath;
    brantic::Url resolvedUrl;
    brantic::String formatText;
    uint32_t assetType = ASSETTYPE_OTHER;
  };
  struct Row {
    uint64_t identity = 0;
    uint32_t file = 0;
  };
  std::vector<File> files;
  std::vector<Row> rows;
  // What earlier probes found of files: those unchanged since are not read again.
  std::shared_ptr<const KvProbeMemory> memory;

  // The row copy the probe of `files[file]` works on.
  KvAssetEntry MakeRow(size_t file) const;
  // The identities of the rows of each file: rowsOfFile[fileRowBegin[f] .. fileRowBegin[f + 1]).
  // Made by IndexRowsByFile once `rows` is complete.
  std::vector<uint32_t> fileRowBegin;
  std::vector<uint64_t> rowsOfFile;
  void IndexRowsByFile();
};

// The collection whose rows are still wanted; 0 when none is. Jobs of another one skip their
// probe: their results would be dropped.
using KvLiveGeneration = std::shared_ptr<const std::atomic<uint64_t>>;

// Files probed by one job when `files` are shared by `workers` threads.
size_t ProbeChunkSize(size_t files, size_t workers);

// Where the results of one job go, on the GUI thread: each probed file of `batch` (an index
// into its files) with what the probe found.
using KvProbeResultSink =
    std::function<void(const KvProbeBatch& batch, const std::vector<std::pair<uint32_t, KvProbeResult>>& found)>;

// Queues jobs for the files of `batch` with rows on `queue` (ProbeChunkSize files each), made
// by a first job on the queue so that the calling thread does not spend its time on them.
// Each job hands its results to `sink` on the GUI thread; jobs skip their probe once
// `liveGeneration` is no longer `generation`. Call IndexRowsByFile first. Any thread.
brantic::Result<void> StartProbeJobs(const std::shared_ptr<brantic::JobQueue>& queue,
                                     std::shared_ptr<const KvProbeBatch> batch, KvProbeResultSink sink,
                                     uint64_t generation, KvLiveGeneration liveGeneration);

}  // namespace kv
