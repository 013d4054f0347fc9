// The HTTP client's response handling over a real loopback connection. The first input byte
// picks the piece size the server sends in; the rest is the response. Whatever arrives, the
// listener is called exactly once, and the response read in pieces gives the same status as
// the same response read whole, and the same text when it is UTF-8. Nothing here waits on the
// clock: a hang is the fuzzer's own time-out to report.
#include <algorithm>
#include <cstdlib>
#include <string>

#include "tests/net/loopback.h"

namespace {

// One exchange; aborts on a broken promise.
nettest::Client* Exchange(const std::string& response, size_t piece) {
  nettest::Client* client = new nettest::Client;
  client->m_new();
  nettest::Exchange(client, "/fuzz", response, piece);
  const size_t text = static_cast<size_t>(client->p_ResponseText().Length());
  if (client->calls != 1 || text > response.size()) std::abort();
  return client;
}

// Whether the client's decoder takes the bytes as UTF-8: a range with any other lead byte or a
// broken sequence is read a byte a character instead, range by range, so then the text depends
// on how the body was cut into receives.
bool WellFormedUtf8(const std::string& s) {
  for (size_t i = 0; i < s.size(); ++i) {
    const int lead = static_cast<unsigned char>(s[i]);
    size_t more = lead < 0x80 ? 0 : (lead & 0xE0) == 0xC0 ? 1 : (lead & 0xF0) == 0xE0 ? 2 : 3;
    if (more == 3 || i + more >= s.size()) return false;
    while (more-- > 0) {
      if ((static_cast<unsigned char>(s[++i]) & 0xC0) != 0x80) return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  kx_asyncevent_Init();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
  if (size < 1 || size > 12000) return 0;
  const std::string response(reinterpret_cast<const char*>(data + 1), size - 1);
  // At most 32 pieces: each receive costs the client a worker thread.
  const size_t piece = std::max<size_t>(1 + data[0] * 4, (response.size() + 31) / 32);
  nettest::Client* whole = Exchange(response, response.size());
  nettest::Client* split = Exchange(response, piece);
  if (whole->p_Status() != split->p_Status() ||
      (WellFormedUtf8(response) && whole->p_ResponseText() != split->p_ResponseText())) {
    std::abort();
  }
  gc_step(nullptr);
  return 0;
}
