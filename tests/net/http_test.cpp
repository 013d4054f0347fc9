// HTTP exchanges against a server on 127.0.0.1 played from the test's thread.
#include <gtest/gtest.h>

#include "tests/net/loopback.h"

namespace {

class HttpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    kx_asyncevent_Init();
    client->m_new();
  }
  // One exchange, with the single call every exchange makes.
  std::string Run(const std::string& path, const std::string& response, size_t piece,
                  const char* body = nullptr) {
    std::string sent = nettest::Exchange(client, path, response, piece, body);
    EXPECT_EQ(client->calls, 1);
    return sent;
  }
  nettest::Client* client = new nettest::Client;
};

// The body's "é" is split between two receives when the pieces are single bytes.
const std::string kHello = "HTTP/1.0 200 OK\r\nServer: loop\r\n\r\nh\xc3\xa9llo";

// Whole, in single bytes, and in pieces that end a line and start the next one; the fragment
// is never sent, a body goes out behind its head.
TEST_F(HttpTest, ResponsesInPiecesGiveWhatTheWholeGives) {
  const std::string get = "GET /a/b?x=1 HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n";
  const std::string post = "POST /a/b?x=1 HTTP/1.0\r\nHost: 127.0.0.1\r\nContent-Type: text/plain"
                           "\r\nContent-Length: 3\r\n\r\nh\xc3\xa9";
  const struct { size_t piece; const char* body; std::string request; } cases[] = {
      {kHello.size(), nullptr, get}, {1, nullptr, get}, {7, "h\xc3\xa9", post}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.piece);
    EXPECT_EQ(Run("/a/b?x=1#frag", kHello, c.piece, c.body), c.request);
    EXPECT_EQ(client->p_Status(), 200);
    EXPECT_EQ(client->p_ResponseText().ToUtf8(), "h\xc3\xa9llo");
    EXPECT_EQ(client->m_bytesReceived, 6);
    EXPECT_EQ(client->m_lines->p_Join(String("|")).ToUtf8(), "HTTP/1.0 200 OK|Server: loop");
  }
}

// Responses the client cannot use end without a status, as does a head too long for its buffer
// (never sent); a body ending inside a character keeps that character's bytes.
TEST_F(HttpTest, OddExchangesGiveTheirStatusAndText) {
  // Besides the path, "GET  HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n" takes 34 bytes.
  const std::string fits(4096 - 35, 'p');
  const struct {
    const char* name;
    std::string path, response;
    int status;
    String text;
    size_t sent;
  } cases[] = {
      {"not HTTP", "", "FTP/1.0 200 OK\r\n\r\nhello", -1, String(), 35},
      {"status line too short", "", "HTTP/1.0 200\r\n\r\nhello", -1, String(), 35},
      {"blank line first", "", "\r\nHTTP/1.0 200 OK\r\n\r\nhello", -1, String(), 35},
      {"closed inside the head", "", "HTTP/1.0 200 OK\r\nServer: lo", -1, String(), 35},
      {"head line longer than the buffer", "",
       "HTTP/1.0 200 OK\r\nX-Long: " + std::string(20000, 'a') + "\r\n\r\nhello", -1, String(),
       35},
      {"body cut in a character", "", "HTTP/1.0 200 OK\r\n\r\nab\xc3", 200,
       String("ab") + String::FromChar(0xC3), 35},
      {"head that just fits", fits, kHello, 200, String::FromUtf8("h\xc3\xa9llo"), 4096},
      {"head one byte too long", fits + "p", kHello, -1, String(), 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Run("/" + c.path, c.response, c.response.size()).size(), c.sent);
    EXPECT_EQ(client->p_Status(), c.status);
    EXPECT_EQ(client->p_ResponseText(), c.text);
  }
}

TEST_F(HttpTest, SendingAgainMidExchangeDropsTheOldOneAndItsSocket) {
  int port = 0;
  const int mute = nettest::BindLoopback(4, &port);  // connects by its backlog, never answers
  client->p_Open(String("GET"), String(nettest::Url(port, "/").c_str()), client);
  client->p_Send();
  // Connected: the head is on its way and a receive waits for an answer that never comes.
  nettest::PumpUntil([this] { return client->m_socket->p_IsConnected(); });
  c_DataBuffer* oldRead = client->m_rbuf;
  Run("/", kHello, kHello.size());
  EXPECT_EQ(client->p_ResponseText().ToUtf8(), "h\xc3\xa9llo");
  // The old receive may still have been under way, so it kept its buffer to itself.
  EXPECT_NE(client->m_rbuf, oldRead);
  close(mute);
}

TEST_F(HttpTest, RefusedConnectionCallsTheListenerOnce) {
  int port = 0;
  close(nettest::BindLoopback(0, &port));  // nothing listens there
  client->p_Open(String("GET"), String(nettest::Url(port, "/").c_str()), client);
  client->p_Send();
  nettest::PumpUntil([this] { return client->calls > 0 && nettest::Drained(); });
  EXPECT_EQ(client->calls, 1);
  EXPECT_EQ(client->p_Status(), -1);
}

}  // namespace
