// What recording a run costs: the entries of real play (a recorded Hard game) written again as
// the recording host writes them, varint coding, zstd, chained blocks and flushes included, per frame.
#include <string>
#include <vector>

#include "bench/skarblit_bench.h"
#include "host/replay/file.h"

namespace skarbench {

bool RecordedRun::Load(const std::string& path) {
  KxReplayReader reader;
  if (!reader.Open(path, KX_VERSION, kx_replay_FolderChecksum("./data"))) return false;
  KxReplayEntry entry;
  while (reader.Next(&entry)) {
    entries.push_back(entry);
    if (entry.kind == KxReplayRender) ++frames;
  }
  finalState = reader.FinalState();
  return reader.Ended() && frames > 0;
}

// Blocks are flushed as the recording host flushes them; the file is the null device so that
// the disk's speed is not counted.
double RecordedRun::WriteUsPerFrame() const {
  KxReplayWriter writer;
  const double t0 = ThreadCpuUs();
  writer.Open("/dev/null", KX_VERSION, 0);
  int rendered = 0;
  for (const KxReplayEntry& entry : entries) {
    writer.Put(entry);
    if (entry.kind == KxReplayRender && ++rendered % kx_replay_RendersPerBlock == 0) writer.Flush();
  }
  writer.Close(finalState);
  return (ThreadCpuUs() - t0) / frames;
}

}  // namespace skarbench
