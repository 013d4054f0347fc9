// HTTP exchanges against a scripted server on 127.0.0.1.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <thread>
#include <vector>

#include "net/http.h"
#include "tests/net/loopback.h"

namespace {

using nettest::LoopbackServer;
using nettest::PumpUntil;

// Records every completion and where it ran.
class Recorder : public Object, public c_IOnHttpRequestComplete {
 public:
  int calls = 0;
  bool everywhereOnMainInsideUpdate = true;
  std::thread::id main = std::this_thread::get_id();

  void p_OnHttpRequestComplete(c_HttpRequest*) override {
    ++calls;
    if (std::this_thread::get_id() != main || !kx_asyncevent__current) {
      everywhereOnMainInsideUpdate = false;
    }
  }
};

// Counts the socket completions the request sees, to tell sends and receive chunks apart, and
// keeps the socket and buffer of each receive.
class CountingRequest : public c_HttpRequest {
 public:
  std::vector<int> sends;
  std::vector<std::pair<c_Socket*, c_DataBuffer*>> receives;

  void p_OnSendComplete(c_DataBuffer* data, int offset, int count, c_Socket* source) override {
    sends.push_back(count);
    c_HttpRequest::p_OnSendComplete(data, offset, count, source);
  }
  void p_OnReceiveComplete(c_DataBuffer* data, int offset, int count, c_Socket* source) override {
    receives.emplace_back(source, data);
    c_HttpRequest::p_OnReceiveComplete(data, offset, count, source);
  }
};

class HttpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    kx_asyncevent_Init();
    recorder = new Recorder;
    request = new CountingRequest;
    request->m_new();
  }
  // Runs one GET against the port and waits for the listener.
  void Get(int port, const std::string& path) {
    std::string url = "http://127.0.0.1:" + std::to_string(port) + path;
    request->p_Open(String("GET"), String(url.c_str()), recorder);
    request->p_Send();
    ASSERT_TRUE(PumpUntil([this] { return recorder->calls > 0; }));
  }
  void ExpectFinishedOnceOnMain() {
    // A late second completion would show up within a few more updates.
    PumpUntil([] { return false; }, 0.05);
    EXPECT_EQ(recorder->calls, 1);
    EXPECT_TRUE(recorder->everywhereOnMainInsideUpdate);
    EXPECT_FALSE(request->m_socket->p_IsOpen());
    // Closed and drained, every socket leaves the event sources: nothing is left per exchange.
    EXPECT_TRUE(PumpUntil([] { return kx_asyncevent__sources->p_Length2() == 0; }));
  }

  Recorder* recorder = nullptr;
  CountingRequest* request = nullptr;
};

std::vector<std::string> Pieces(const std::string& text, size_t size) {
  std::vector<std::string> pieces;
  for (size_t at = 0; at < text.size(); at += size) pieces.push_back(text.substr(at, size));
  return pieces;
}

// The body's "é" is split between two receives when the pieces are single bytes.
const char kHello[] = "HTTP/1.0 200 OK\r\nServer: loop\r\n\r\nh\xc3\xa9llo";

TEST_F(HttpTest, WholeAndBytewiseResponsesGiveTheSameResult) {
  LoopbackServer whole({kHello});
  Get(whole.Port(), "/a/b?x=1&y=2#frag");
  EXPECT_EQ(request->p_Status(), 200);
  EXPECT_EQ(request->p_ResponseText().ToUtf8(), "h\xc3\xa9llo");
  EXPECT_EQ(request->m_bytesReceived, 6);
  ExpectFinishedOnceOnMain();
  ASSERT_EQ(whole.Requests().size(), 1u);
  EXPECT_EQ(whole.Requests()[0],
            "GET /a/b?x=1&y=2#frag HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n");

  // Single bytes, and pieces that end a line and start the next one.
  for (size_t size : {1, 7}) {
    SCOPED_TRACE(size);
    LoopbackServer pieces(Pieces(kHello, size), 5);
    recorder->calls = 0;
    request->receives.clear();
    Get(pieces.Port(), "/");
    EXPECT_EQ(request->p_Status(), 200);
    EXPECT_EQ(request->p_ResponseText().ToUtf8(), "h\xc3\xa9llo");
    EXPECT_EQ(request->m_lines->p_Join(String("|")).ToUtf8(), "HTTP/1.0 200 OK|Server: loop");
    ExpectFinishedOnceOnMain();
  }
}

// Responses the client cannot use end without a status; a body ending inside a character keeps
// that character's bytes.
TEST_F(HttpTest, OddResponsesGiveTheirStatusAndText) {
  const struct {
    const char* name;
    std::string response;
    int status;
    String text;
  } cases[] = {
      {"not HTTP", "FTP/1.0 200 OK\r\n\r\nhello", -1, String()},
      {"status line too short", "HTTP/1.0 200\r\n\r\nhello", -1, String()},
      {"blank line first", "\r\nHTTP/1.0 200 OK\r\n\r\nhello", -1, String()},
      {"closed inside the head", "HTTP/1.0 200 OK\r\nServer: lo", -1, String()},
      {"head line longer than the buffer",
       "HTTP/1.0 200 OK\r\nX-Long: " + std::string(20000, 'a') + "\r\n\r\nhello", -1, String()},
      {"body cut in a character", "HTTP/1.0 200 OK\r\n\r\nab\xc3", 200,
       String("ab") + String::FromChar(0xC3)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    LoopbackServer server({c.response});
    recorder->calls = 0;
    Get(server.Port(), "/");
    EXPECT_EQ(request->p_Status(), c.status);
    EXPECT_EQ(request->p_ResponseText(), c.text);
    ExpectFinishedOnceOnMain();
  }
}

TEST_F(HttpTest, HeadsThatFitTheirBufferAreSentWholeLongerOnesEndWithoutStatus) {
  // Besides the path, "GET  HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n" takes 34 bytes.
  for (int head : {4096, 4097}) {
    SCOPED_TRACE(head);
    LoopbackServer server({kHello});
    recorder->calls = 0;
    Get(server.Port(), "/" + std::string(head - 35, 'p'));
    EXPECT_EQ(request->p_Status(), head == 4096 ? 200 : -1);
    ExpectFinishedOnceOnMain();
    ASSERT_TRUE(PumpUntil([&] { return server.Requests().size() == 1; }));
    EXPECT_EQ(server.Requests()[0].size(), head == 4096 ? 4096u : 0u);
  }
}

TEST_F(HttpTest, SendingAgainMidExchangeDropsTheOldOneAndItsSocket) {
  int port = 0;
  const int mute = nettest::BindLoopback(4, &port);  // connects by its backlog, never answers
  ASSERT_GE(mute, 0);
  std::string url = "http://127.0.0.1:" + std::to_string(port) + "/";
  request->p_Open(String("GET"), String(url.c_str()), recorder);
  request->p_Send();
  // The head has gone out and a receive waits for an answer that never comes.
  ASSERT_TRUE(PumpUntil([this] { return request->sends.size() == 1; }));
  c_Socket* old = request->m_socket;
  LoopbackServer server({kHello});
  Get(server.Port(), "/");
  EXPECT_EQ(request->p_Status(), 200);
  EXPECT_EQ(request->p_ResponseText().ToUtf8(), "h\xc3\xa9llo");
  ExpectFinishedOnceOnMain();
  // The old receive ended, on a buffer of its own.
  auto ended = std::find_if(request->receives.begin(), request->receives.end(),
                            [old](const auto& r) { return r.first == old; });
  ASSERT_NE(ended, request->receives.end());
  EXPECT_NE(ended->second, request->m_rbuf);
  close(mute);
}

TEST_F(HttpTest, RefusedConnectionCallsTheListenerOnce) {
  Get(nettest::RefusedPort(), "/");
  EXPECT_EQ(request->p_Status(), -1);
  ExpectFinishedOnceOnMain();
}

}  // namespace
