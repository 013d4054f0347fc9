// The HTTP client's response handling over a real loopback connection. The first input byte
// picks the piece size the server sends in (with a pause after each piece so they mostly arrive
// as separate receives); the rest is the response. Whatever arrives, the listener is called exactly
// once, and a well-formed head followed by a valid UTF-8 body yields that body unchanged
// however the pieces split its characters.
#include <netinet/tcp.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <functional>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "net/http.h"
#include "tests/net/loopback.h"

namespace {

class Recorder : public Object, public c_IOnHttpRequestComplete {
 public:
  int calls = 0;
  void p_OnHttpRequestComplete(c_HttpRequest*) override { ++calls; }
};

// Reads the request head, then sends the response in pieces and closes.
void Serve(int listener, const std::string& response, size_t piece) {
  if (!nettest::Readable(listener, 5000)) return;
  int client = accept(listener, nullptr, nullptr);
  if (client < 0) return;
  int one = 1;
  setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  std::string request;
  char chunk[1024];
  while (request.find("\r\n\r\n") == std::string::npos && nettest::Readable(client, 5000)) {
    ssize_t got = recv(client, chunk, sizeof chunk, 0);
    if (got <= 0) break;
    request.append(chunk, static_cast<size_t>(got));
  }
  for (size_t at = 0; at < response.size(); at += piece) {
    size_t n = std::min(piece, response.size() - at);
    if (send(client, response.data() + at, n, MSG_NOSIGNAL) < 0) break;
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  close(client);
}

bool ValidUtf8(const std::string& bytes) {
  for (size_t i = 0; i < bytes.size();) {
    unsigned char lead = static_cast<unsigned char>(bytes[i]);
    size_t length = lead < 0x80 ? 1 : (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3 : 0;
    if (length == 0 || i + length > bytes.size()) return false;
    for (size_t k = 1; k < length; ++k) {
      if ((static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80) return false;
    }
    i += length;
  }
  return true;
}

// What the client should report for a response: the status when the head ends in a blank line
// behind a usable status line, and the body bytes after it.
struct Expected {
  int status = -1;
  bool hasBody = false;
  std::string body;
};

Expected Expect(const std::string& response) {
  Expected e;
  String first;
  for (size_t start = 0, end; (end = response.find('\n', start)) != std::string::npos;
       start = end + 1) {
    std::string raw = response.substr(start, end - start);
    // One unit per byte, as the client reads its head.
    std::vector<Char> units(raw.begin(), raw.end());
    for (Char& u : units) u &= 0xFF;
    String line = String(units.data(), static_cast<int>(units.size())).Trim();
    if (line.Length() > 0) {
      if (first.Length() == 0) first = line;
      continue;
    }
    Array<String> parts = first.ToUpper().Split(String(" "));
    if (first.Length() == 0 || parts.Length() < 3 || !parts[0].StartsWith(String("HTTP/"))) {
      return e;
    }
    e.status = parts[1].ToInt();
    e.hasBody = true;
    e.body = response.substr(end + 1);
    return e;
  }
  return e;
}

String DecodeWhole(const std::string& body) {
  if (body.empty()) return String();
  c_DataBuffer* buffer = (new c_DataBuffer)->m_new(static_cast<int>(body.size()));
  std::memcpy(buffer->m_bytes, body.data(), body.size());
  return buffer->p_PeekString(0, static_cast<int>(body.size()), String("utf8"));
}

bool PumpUntil(const std::function<bool()>& done, double seconds) {
  auto limit = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (!done()) {
    if (std::chrono::steady_clock::now() > limit) return false;
    kx_asyncevent_UpdateAsyncEvents();
    std::this_thread::sleep_for(std::chrono::microseconds(50));
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
  int port = 0;
  int listener = nettest::BindLoopback(1, &port);
  if (listener < 0) std::abort();
  std::thread server(Serve, listener, response, piece);

  Recorder* recorder = new Recorder;
  c_HttpRequest* request = (new c_HttpRequest)->m_new();
  std::string url = "http://127.0.0.1:" + std::to_string(port) + "/fuzz";
  request->p_Open(String("GET"), String(url.c_str()), recorder);
  request->p_Send();
  bool finished = PumpUntil([recorder] { return recorder->calls > 0; }, 20.0);
  server.join();
  close(listener);
  // A late second call would come within a few more updates.
  PumpUntil([] { return false; }, 0.002);
  if (!finished || recorder->calls != 1 || request->m_socket->p_IsOpen()) std::abort();

  Expected expected = Expect(response);
  if (request->p_Status() != expected.status) std::abort();
  String text = request->p_ResponseText();
  if (static_cast<size_t>(text.Length()) > expected.body.size()) std::abort();
  if (expected.hasBody && ValidUtf8(expected.body) && text != DecodeWhole(expected.body)) {
    std::abort();
  }
  gc_step(nullptr);
  return 0;
}
