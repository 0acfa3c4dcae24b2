#include "collection/kvprobejobs.h"

#include <algorithm>

#include "brantic/mainthread.h"
#include "collection/kvprobe.h"

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

size_t ProbeChunkSize(size_t files, size_t workers) {
  // Enough chunks for every worker to stay busy while slow files hold one of them up, and no
  // more than a few dozen files in one: results reach the window chunk by chunk.
  const size_t perWorker = 8;
  const size_t chunks = std::max<size_t>(1, workers) * perWorker;
  return std::clamp<size_t>((files + chunks - 1) / chunks, 1, 32);
}

brantic::Result<void> StartProbeJobs(const std::shared_ptr<brantic::JobQueue>& queue,
                                     std::shared_ptr<const KvProbeBatch> batch, KvProbeResultSink sink,
                                     uint64_t generation, KvLiveGeneration liveGeneration) {
  if (!batch || batch->rows.empty() || !liveGeneration || batch->fileRowBegin.size() != batch->files.size() + 1) {
    return {};
  }
  auto spawn = brantic::ClosureJob<void>::Create(
      [queue, batch, sink = std::move(sink), generation, live = std::move(liveGeneration)] {
        // Only files with rows of their own are probed.
        std::vector<uint32_t> toProbe;
        toProbe.reserve(batch->files.size());
        for (size_t file = 0; file < batch->files.size(); ++file) {
          if (batch->fileRowBegin[file] != batch->fileRowBegin[file + 1]) toProbe.push_back(uint32_t(file));
        }
        auto order = std::make_shared<const std::vector<uint32_t>>(std::move(toProbe));
        const size_t chunk = ProbeChunkSize(order->size(), size_t(std::max(1, queue->ThreadCount())));
        std::vector<std::shared_ptr<brantic::JobInterface>> jobs;
        jobs.reserve((order->size() + chunk - 1) / chunk);
        for (size_t begin = 0; begin < order->size(); begin += chunk) {
          const size_t end = std::min(order->size(), begin + chunk);
          // The job probes its own copies of the files' rows; only the GUI thread touches the
          // collection.
          auto job = brantic::ClosureJob<void>::Create([batch, order, begin, end, sink, generation, live] {
            std::vector<std::pair<uint32_t, KvProbeResult>> found;
            found.reserve(end - begin);
            for (size_t at = begin; at < end; ++at) {
              if (live->load(std::memory_order_relaxed) != generation) return;
              KvAssetEntry copy = batch->MakeRow((*order)[at]);
              // Only what the probe found travels back: many results may wait for the GUI thread.
              found.emplace_back((*order)[at], ProbeRemembering(copy, batch->memory.get()));
            }
            brantic::ExecuteOnMainThread([batch, sink, found = std::move(found)] { sink(*batch, found); });
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
