// The HTTP client's response handling over a real loopback connection. The first input byte
// picks the piece size the server sends in; the rest is the response. Whatever arrives, the
// listener is called exactly once and the socket is closed, and the response read in pieces
// gives the same status as the same response read whole, and the same text when it is UTF-8.
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "net/http.h"
#include "tests/net/loopback.h"

namespace {

class Recorder : public Object, public c_IOnHttpRequestComplete {
 public:
  int calls = 0;
  void p_OnHttpRequestComplete(c_HttpRequest*) override { ++calls; }
};

// One exchange against a server sending `pieces` a millisecond apart; aborts on a broken promise.
c_HttpRequest* Exchange(const std::vector<std::string>& pieces, size_t size) {
  nettest::LoopbackServer server(pieces, pieces.size() > 1 ? 1 : 0);
  Recorder* recorder = new Recorder;
  c_HttpRequest* request = (new c_HttpRequest)->m_new();
  std::string url = "http://127.0.0.1:" + std::to_string(server.Port()) + "/fuzz";
  request->p_Open(String("GET"), String(url.c_str()), recorder);
  request->p_Send();
  bool finished = nettest::PumpUntil([recorder] { return recorder->calls > 0; }, 20.0);
  // A late second call would come within a few more updates.
  nettest::PumpUntil([] { return false; }, 0.005);
  if (!finished || recorder->calls != 1 || request->m_socket->p_IsOpen() ||
      static_cast<size_t>(request->p_ResponseText().Length()) > size) {
    std::abort();
  }
  return request;
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
  std::vector<std::string> pieces;
  for (size_t at = 0; at < response.size(); at += piece) pieces.push_back(response.substr(at, piece));
  c_HttpRequest* whole = Exchange({response}, response.size());
  c_HttpRequest* split = Exchange(pieces, response.size());
  if (whole->p_Status() != split->p_Status() ||
      (WellFormedUtf8(response) && whole->p_ResponseText() != split->p_ResponseText())) {
    std::abort();
  }
  gc_step(nullptr);
  return 0;
}
