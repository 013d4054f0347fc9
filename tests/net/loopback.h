// Test helpers for the socket tests: a tiny scripted HTTP server on 127.0.0.1 (bounded in
// connections and time) and a pump that drives the event sources from the test's thread.
#pragma once
#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace nettest {

// Serves `connections` connections, one after another, then stops. For each it reads the
// request head (and as many body bytes as its Content-Length says), then sends the response
// pieces with `gapMs` between them and closes. Gives up after a few seconds without a client.
class LoopbackServer {
 public:
  LoopbackServer(std::vector<std::string> responsePieces, int connections = 1, int gapMs = 0);
  ~LoopbackServer();
  int Port() const { return port_; }
  // The raw bytes of every request received so far.
  std::vector<std::string> Requests();

 private:
  void Serve(int connections);
  void Answer(int client);

  std::vector<std::string> pieces_;
  int gapMs_;
  int listener_ = -1;
  int port_ = 0;
  std::mutex mutex_;
  std::vector<std::string> requests_;
  std::thread thread_;
};

// A port on 127.0.0.1 that nothing listens on.
int RefusedPort();

// Calls kx_asyncevent_UpdateAsyncEvents every millisecond until `done` or the time is up.
bool PumpUntil(const std::function<bool()>& done, double seconds = 5.0);

}  // namespace nettest
