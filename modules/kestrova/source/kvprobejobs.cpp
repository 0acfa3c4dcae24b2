#include "kvprobejobs.h"

#include "brantic/mainthread.h"
#include "kvcollection.h"
#include "kvprobe.h"

namespace kv {

KvAssetEntry KvProbeBatch::MakeRow(size_t index) const {
  const Row& source = rows[index];
  const File& file = files[source.file];
  KvAssetEntry row;
  row.assetPath = file.assetPath;
  row.resolvedUrl = file.resolvedUrl;
  row.formatText = file.formatText;
  row.assetType = file.assetType;
  row.rowIdentity = source.identity;
  return row;
}

brantic::Result<void> StartProbeJobs(const std::shared_ptr<brantic::JobQueue>& queue,
                                     std::shared_ptr<const KvProbeBatch> batch,
                                     brantic::WeakRef<KvCollection> collection, uint64_t generation,
                                     KvLiveGeneration liveGeneration) {
  if (!batch || batch->rows.empty() || !liveGeneration) return {};
  auto spawn =
      brantic::ClosureJob<void>::Create([queue, batch, collection, generation, live = std::move(liveGeneration)] {
        std::vector<std::shared_ptr<brantic::JobInterface>> jobs;
        jobs.reserve(batch->rows.size());
        for (size_t index = 0; index < batch->rows.size(); ++index) {
          // The job owns its copy of the row; only the GUI thread touches the collection.
          auto job = brantic::ClosureJob<void>::Create([batch, index, collection, generation, live] {
            if (live->load(std::memory_order_relaxed) != generation) return;
            KvAssetEntry copy = batch->MakeRow(index);
            ProbeAssetFile(copy);
            brantic::ExecuteOnMainThread([collection, copy = std::move(copy), generation] {
              if (auto locked = collection.Lock()) locked->StoreProbeResult(generation, copy.rowIdentity, copy);
            });
          });
          if (!job) break;  // later rows stay without size and resolution
          jobs.push_back(std::move(*job));
        }
        (void)queue->EnqueueAll(std::move(jobs));
      });
  if (!spawn) return spawn.GetError();
  return queue->Enqueue(*spawn);
}

}  // namespace kv
