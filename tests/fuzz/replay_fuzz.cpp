// The replay reader under a fuzzer: any bytes after a sound header (or, when the first input
// byte is odd, any bytes at all) give entries of known kinds until the end entry or one clear
// error, never a crash, a hang or an entry that overruns its kind's layout.
#include <cstdlib>

#include "host/replayfile.h"
#include "tests/fuzz/fuzz_file.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
  if (size == 0) return 0;
  std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);
  // Magic, format 1, version "fz", data checksum 0.
  if ((data[0] & 1) == 0) bytes = std::string("SKREPLAY\x01\x02" "fz", 12) + std::string(8, '\0') + bytes;
  std::string path = fuzz::WriteInput(".skr", reinterpret_cast<const unsigned char*>(bytes.data()),
                                      bytes.size());
  KxReplayReader reader;
  if (!reader.Open(path, "fz", 0)) return 0;
  KxReplayEntry entry;
  while (reader.Next(&entry)) {
    if (entry.kind < 1 || entry.kind >= KxReplayKindCount || entry.floats.size() > 6) std::abort();
  }
  if (!reader.Ended() && reader.Error().empty()) std::abort();
  return 0;
}
