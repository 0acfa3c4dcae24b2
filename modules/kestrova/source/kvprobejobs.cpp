#include "kvprobejobs.h"

#include "brantic/mainthread.h"
#include "kvcollection.h"
#include "kvprobe.h"

namespace kv {

KvAssetEntry KvProbeBatch::MakeRow(size_t index) const {
  const File& file = files[index];
  KvAssetEntry row;
  row.assetPath = file.assetPath;
  row.resolvedUrl = file.resolvedUrl;
  row.formatText = file.formatText;
  row.assetType = file.assetType;
  return row;
}

void KvProbeBatch::IndexRowsByFile() {
  fileRowBegin.assign(files.size() + 1, 0);
  for (const Row& row : rows) ++fileRowBegin[row.file + 1];
  for (size_t file = 0; file < files.size(); ++file) fileRowBegin[file + 1] += fileRowBegin[file];
  rowsOfFile.resize(rows.size());
  std::vector<uint32_t> next(fileRowBegin.begin(), fileRowBegin.end() - 1);
  for (const Row& row : rows) rowsOfFile[next[row.file]++] = row.identity;
}

brantic::Result<void> StartProbeJobs(const std::shared_ptr<brantic::JobQueue>& queue,
                                     std::shared_ptr<const KvProbeBatch> batch,
                                     brantic::WeakRef<KvCollection> collection, uint64_t generation,
                                     KvLiveGeneration liveGeneration) {
  if (!batch || batch->rows.empty() || !liveGeneration || batch->fileRowBegin.size() != batch->files.size() + 1) {
    return {};
  }
  auto spawn =
      brantic::ClosureJob<void>::Create([queue, batch, collection, generation, live = std::move(liveGeneration)] {
        std::vector<std::shared_ptr<brantic::JobInterface>> jobs;
        jobs.reserve(batch->files.size());
        for (size_t file = 0; file < batch->files.size(); ++file) {
          if (batch->fileRowBegin[file] == batch->fileRowBegin[file + 1]) continue;  // no row of its own
          // The job owns its copy of the file's row; only the GUI thread touches the collection.
          auto job = brantic::ClosureJob<void>::Create([batch, file, collection, generation, live] {
            if (live->load(std::memory_order_relaxed) != generation) return;
            KvAssetEntry copy = batch->MakeRow(file);
            ProbeAssetFile(copy);
            // Only what the probe found travels back: many results may wait for the GUI thread.
            brantic::ExecuteOnMainThread([batch, file, collection, found = KvProbeResult::Of(copy), generation] {
              auto locked = collection.Lock();
              if (!locked) return;
              for (uint32_t i = batch->fileRowBegin[file]; i < batch->fileRowBegin[file + 1]; ++i) {
                locked->StoreProbeResult(generation, batch->rowsOfFile[i], found);
              }
            });
          });
          if (!job) break;  // later files stay without size and resolution
          jobs.push_back(std::move(*job));
        }
        (void)queue->EnqueueAll(std::move(jobs));
      });
  if (!spawn) return spawn.GetError();
  return queue->Enqueue(*spawn);
}

}  // namespace kv
