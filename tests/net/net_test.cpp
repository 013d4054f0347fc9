// The net module: URL parsing; data buffers (byte copies clipped at both ends, and the two
// string encodings); HTTP exchanges against a server on 127.0.0.1 played from the test's thread;
// the operation queues and sockets (order and thread of completion, connect outcomes); and what
// the collector must keep while they are alive.
#include <fcntl.h>
#include <gtest/gtest.h>

#include <climits>

#include "tests/net/loopback.h"

namespace {

// Every part of the parsed URL, joined with "|", the request line's path last.
std::string Parts(const char* text) {
  c_Url* url = (new c_Url)->m_new(String(text), String("http"), 80);
  std::string out = url->m_scheme.ToUtf8();
  for (const String& part : {url->m_username, url->m_password, url->p_Domain(),
                             String(url->p_Port()), url->m_path, url->m_query, url->m_fragment,
                             url->p_FullPath()}) {
    out += "|" + part.ToUtf8();
  }
  return out;
}

TEST(Url, SplitsEveryPartAndSeparatorsCountOnlyInTheirOwnPart) {
  const char* const cases[][2] = {
      // The fragment is never part of what a request names.
      {"https://ann:se:cret@example.org:8080/games/score.php?a=1&b=2#top",
       "https|ann|se:cret|example.org|8080|/games/score.php|a=1&b=2|top|/games/score.php?a=1&b=2"},
      {"example.org", "http|||example.org|80|/|||/"},
      {"bob@host/x", "http|bob||host|80|/x|||/x"},
      // An "@" behind the first "/" is path text, not the end of a user name.
      {"http://host/a@b", "http|||host|80|/a@b|||/a@b"},
      {"http://u@h/a@b:1", "http|u||h|80|/a@b:1|||/a@b:1"},
      {"h/x:y@z", "http|||h|80|/x:y@z|||/x:y@z"},
      // So is a "://".
      {"host/a://b", "http|||host|80|/a://b|||/a://b"},
      // A "?" inside the fragment is fragment text.
      {"http://h/p#frag?x=1", "http|||h|80|/p||frag?x=1|/p"},
      // "://", "@" and ":" after the query start are query text.
      {"h?to=ftp://u@x:1", "http|||h|80|/|to=ftp://u@x:1||/?to=ftp://u@x:1"},
      // A ":" behind the first "/" belongs to the path; a port that is not a number reads as 0.
      {"h/a:b", "http|||h|80|/a:b|||/a:b"},
      {"h:web?q", "http|||h|0|/|q||/?q"},
  };
  for (const auto& c : cases) EXPECT_EQ(Parts(c[0]), c[1]) << c[0];
}

const String kAscii("ascii"), kUtf8("utf8");

std::string Text(const String& s) { return s.ToUtf8(); }
std::string Text(const Array<int>& a) {
  std::string out;
  for (int i = 0; i < a.Length(); ++i) out += (i ? "," : "") + std::to_string(a[i]);
  return out;
}
c_DataBuffer* Block(const std::string& bytes) {
  c_DataBuffer* block = (new c_DataBuffer)->m_new(static_cast<int>(bytes.size()));
  std::copy(bytes.begin(), bytes.end(), block->m_bytes);
  return block;
}
// One operation on the block b = "abcdef", with the five zeros a, the values v = {0x1FF, -2, 7}
// (only their low 8 bits are stored) and the block d = "xyz" at hand: what it gives (a count
// as its digits), and b afterwards.
#define ROW(expr, gives, after)                                                           \
  {#expr,                                                                                 \
   [](c_DataBuffer* b, [[maybe_unused]] Array<int> a, [[maybe_unused]] Array<int> v,      \
      [[maybe_unused]] c_DataBuffer* d) { return Text(expr); },                           \
   gives, after}
struct Row {
  const char* op;
  std::string (*run)(c_DataBuffer* b, Array<int> a, Array<int> v, c_DataBuffer* d);
  std::string gives, after;
};
const Row kRows[] = {
    // Each unit is encoded on its own; "ascii" keeps a unit's low byte.
    ROW(b->p_PokeString(0, String::FromChar(0xE9), kUtf8), "2", "\xc3\xa9" "cdef"),
    ROW(b->p_PokeString(3, String::FromChar(0x20AC), kUtf8), "3", "abc\xe2\x82\xac"),
    ROW(b->p_PokeString(1, String::FromChar(0x1E9), kAscii), "1", "a\xe9" "cdef"),
    ROW((b->p_PokeString(0, String::FromChar(0xE9) + String::FromChar(0x20AC), kUtf8),
         b->p_PeekString(0, 5, kUtf8)), "\xc3\xa9\xe2\x82\xac", "\xc3\xa9\xe2\x82\xac" "f"),
    ROW((b->p_PokeString(0, String::FromChar(0x1E9), kAscii), b->p_PeekString(0, 1, kAscii)),
        "\xc3\xa9", "\xe9" "bcdef"),
    // Pokes write what fits and give the whole encoded length.
    ROW(b->p_PokeString(2, String("ABCDEFGHIJ"), kAscii), "10", "abABCD"),
    ROW(b->p_PokeString(-2, String("WXYZ"), kAscii), "4", "YZcdef"),
    ROW(b->p_PeekString(4, 100, kAscii), "ef", "abcdef"),
    ROW(b->p_PeekString(-3, 5, kAscii), "ab", "abcdef"),
    ROW(b->p_PeekString(6, 1, kAscii), "", "abcdef"),
    ROW(b->p_PeekString2(INT_MIN, kAscii), "abcdef", "abcdef"),
    ROW(b->p_PeekString2(4, kAscii), "ef", "abcdef"),
    ROW(b->p_PeekString2(INT_MAX, kAscii), "", "abcdef"),
    // A clipped range keeps its alignment: block position -1 would land on element 0.
    ROW((b->p_PeekBytes(2, a, 1, 10), a), "0,99,100,101,102", "abcdef"),
    ROW((b->p_PeekBytes(-1, a, 0, 3), a), "0,97,98,0,0", "abcdef"),
    ROW((b->p_PeekBytes(0, a, 4, 3), a), "0,0,0,0,97", "abcdef"),
    ROW((b->p_PeekBytes(0, a, -5, 5), a), "0,0,0,0,0", "abcdef"),
    ROW((b->p_PokeBytes(4, v, 0, 3), b->p_PeekBytes2(3, 10)), "100,-1,-2", "abcd\xff\xfe"),
    ROW((b->p_PokeBytes(-1, v, 0, 3), 0), "0", "\xfe\x07" "cdef"),
    ROW((b->p_PokeBytes(1, v, 0, INT_MAX), 0), "0", "a\xff\xfe\x07" "ef"),
    ROW(b->p_PeekBytes2(6, 1), "", "abcdef"),
    ROW(b->p_PeekBytes2(-0x7FFFFFFF, 0x7FFFFFFF), "", "abcdef"),
    // Copies, between blocks and overlapping within one either way.
    ROW((b->p_CopyBytes(3, d, 0, 10), d->p_PeekString2(0, kAscii)), "def", "abcdef"),
    ROW((b->p_CopyBytes(0, d, -1, 3), d->p_PeekString2(0, kAscii)), "bcz", "abcdef"),
    ROW((b->p_CopyBytes(0, b, 1, 4), 0), "0", "aabcdf"),
    ROW((b->p_CopyBytes(2, b, 0, 3), 0), "0", "cdedef"),
};

TEST(DataBuffer, OperationsClipToTheBlockAndEncodeAsAsked) {
  const int values[] = {0x1FF, -2, 7};
  for (const Row& row : kRows) {
    c_DataBuffer* b = Block("abcdef");
    EXPECT_EQ(row.run(b, Array<int>(5), Array<int>(values, 3), Block("xyz")), row.gives) << row.op;
    EXPECT_EQ(std::string(b->m_bytes, b->m_bytes + b->m_length), row.after) << row.op;
  }
}

TEST(DataBuffer, MalformedUtf8FallsBackToOneCharacterPerByte) {
  // Cut off at the end, continuation missing, stray continuation (also behind a whole
  // character: the whole range falls back), three bytes cut off, and a four-byte lead.
  for (std::string bytes : {"A\xc3", "\xc3" "A", "\x80" "A", "\xc3\xa9\x80", "\xe2\x82",
                            "\xf0\x9f\x98\x80"}) {
    String perByte;
    for (unsigned char c : bytes) perByte += String::FromChar(c);
    EXPECT_EQ(Block(bytes)->p_PeekString2(0, kUtf8), perByte) << bytes;
  }
}

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
  nettest::PumpUntil([this] { return client->m_socket->p_IsConnected() || client->calls > 0; });
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

// Execution order is taken on the worker from a counter no managed code touches.
std::atomic<int> executed{0};
std::vector<int> completed;

struct OrderOp : c_AsyncOp {
  explicit OrderOp(int id) : m_id(id) {}
  int m_id, m_ranAs = -1;
  void p_Execute__UNSAFE__() override { m_ranAs = executed.fetch_add(1); }
  // -1 for one completed outside an update, before it ran, or out of turn.
  void p_Complete(c_Socket*) override {
    completed.push_back(kx_asyncevent__current && m_ranAs == m_id ? m_id : -1);
  }
};

TEST(AsyncQueue, CompletesInEnqueueOrderOnTheMainThreadAcrossTheRing) {
  kx_asyncevent_Init();
  std::vector<int> expected;
  c_AsyncQueue* queue = (new c_AsyncQueue)->m_new(nullptr);
  kx_asyncevent_AddAsyncEventSource(queue);
  // 765 operations in batches of 255, the most the 256-slot ring holds at once (one more is a
  // fatal overflow), wrap it thrice.
  for (int id = 0; id < 765; ++id) {
    queue->p_Enqueue(new OrderOp(id));
    expected.push_back(id);
    if (id % 255 == 254) nettest::PumpUntil([&] { return completed.size() == expected.size(); });
  }
  EXPECT_EQ(completed, expected);
  nettest::PumpUntil([&] { return !queue->IsRunning(); });
  kx_asyncevent_RemoveAsyncEventSource(queue);
}

// Counts its calls and keeps the last result: connected (1 or 0), or the bytes received.
struct Listener : Object, c_IOnConnectComplete, c_IOnReceiveComplete {
  int calls = 0, result = 1;
  void p_OnConnectComplete(bool ok, c_Socket*) override { ++calls, result = ok; }
  void p_OnReceiveComplete(c_DataBuffer*, int, int got, c_Socket*) override {
    ++calls, result = got;
  }
};

// Once connected, a second connect is ignored, and closing wakes the receive that waits for the
// silent listener, but keeps the handle until that receive has completed.
void ExpectCloseWakesTheReceive(c_Socket* socket, int port) {
  socket->p_ConnectAsync(String("127.0.0.1"), port, new Listener);
  EXPECT_TRUE(socket->m_readQueue->p_Idle()) << "a second connect is ignored";
  Listener* receive = new Listener;
  socket->p_ReceiveAsync((new c_DataBuffer)->m_new(64), 0, 64, receive);
  int handle = socket->m_sock.m_handle;
  socket->p_Close();
  EXPECT_FALSE(socket->p_IsConnected());
  // The worker may still be inside its call, so the descriptor must not be reused yet.
  EXPECT_NE(fcntl(handle, F_GETFD), -1);
  nettest::PumpUntil([&] { return receive->calls > 0; });
  EXPECT_LE(receive->result, 0);
  EXPECT_EQ(fcntl(handle, F_GETFD), -1);
}

TEST(Socket, ConnectsOnlyToAResolvedHostAndAPortInRangeAndCloses) {
  kx_asyncevent_Init();
  int port = 0;
  const int listener = nettest::BindLoopback(8, &port);  // connects by its backlog alone
  // An empty or malformed name (refused without asking any server) would leave 0.0.0.0, which
  // Linux takes for this machine; a port out of range would wrap onto the listener's.
  // A socket closed while its connect is under way stays closed, whatever the call gives.
  const struct { const char* host; int port; bool closed; } cases[] = {
      {"localhost", port, false},        {"127.0.0.1", port, true},
      {"", port, false},                 {"x..y", port, false},
      {"127.0.0.1", port + 65536, false}, {"127.0.0.1", port - 65536, false}};
  for (const auto& c : cases) {
    c_Socket* socket = (new c_Socket)->m_new(String("stream"));
    Listener* connect = new Listener;
    socket->p_ConnectAsync(String(c.host), c.port, connect);
    if (c.closed) socket->p_Close();
    nettest::PumpUntil([&] { return connect->calls > 0; });
    const bool connects = &c == &cases[0];
    ASSERT_EQ(connect->result, connects) << c.host << ":" << c.port;
    ASSERT_EQ(socket->p_IsConnected(), connects);
    if (connects) ExpectCloseWakesTheReceive(socket, port);
    socket->p_Close();
    nettest::PumpUntil(nettest::Drained);
    EXPECT_EQ(connect->calls, 1);
  }
  close(listener);
  // The last port and the first beyond it, which the system would take for port 0.
  KxSocketAddress address;
  EXPECT_TRUE(setsockaddr(&address, String("127.0.0.1"), 65535));
  EXPECT_FALSE(setsockaddr(&address, String("127.0.0.1"), 65536));
}

// The request held as the test's only root besides the event sources.
c_HttpRequest* held = nullptr;

bool Collected(gc_object* object) {
  gc_link* at = gc_free_list.succ;
  while (at != &gc_free_list && at != object) at = at->succ;
  return at == object;
}

// Each object below is reachable only through the net classes' marks (and the event sources).
TEST(NetCollector, KeepsEverythingALiveSocketQueueOrRequestHolds) {
  kx_asyncevent_Init();
  gc_add_root(5000, &held);
  // A finished request, which will listen to one on its way to a host that does not exist.
  nettest::Client* done = new nettest::Client;
  done->m_new();
  nettest::Exchange(done, "/", "HTTP/1.0 200 OK\r\n\r\nhi", 100);
  // A socket known only to the event sources, whose operations wait for an update to complete
  // them (unconnected, each call fails at once). Requests stand in for any listener: they
  // ignore a socket not theirs.
  c_Socket* s = (new c_Socket)->m_new(String("stream"));
  c_HttpRequest* l[] = {new c_HttpRequest, new c_HttpRequest, new c_HttpRequest};
  c_DataBuffer* d[] = {(new c_DataBuffer)->m_new(4), (new c_DataBuffer)->m_new(4)};
  s->p_ConnectAsync(String(""), 1, l[0]);
  s->m_writeQueue->p_Enqueue((new c_AsyncSendOp)->m_new(s->m_sock, d[0], 0, 4, l[1]));
  s->m_readQueue->p_Enqueue((new c_AsyncReceiveOp)->m_new(s->m_sock, d[1], 0, 4, l[2]));
  held = (new c_HttpRequest)->m_new2(String("POST"), String("http://:1/"), done);
  held->p_Send2(String("x"), String("text/plain"), String("utf8"));
  Array<c_AsyncOp*> reads = s->m_readQueue->m_queue;
  const std::pair<const char*, gc_object*> kept[] = {
      {"socket", s}, {"read queue", s->m_readQueue}, {"write queue", s->m_writeQueue},
      {"read ring", reads.GetRep()}, {"connect", reads[0]}, {"receive", reads[1]},
      {"send", s->m_writeQueue->m_queue[0]}, {"connect listener", l[0]},
      {"send listener", l[1]}, {"receive listener", l[2]}, {"sent data", d[0]},
      {"receive data", d[1]}, {"url", held->m_url}, {"listener", done}, {"body", held->m_body},
      {"head lines", held->m_lines}, {"head buffer", held->m_wbuf},
      {"receive buffer", held->m_rbuf}, {"response", done->m_response},
      {"finished socket", done->m_socket}};
  // The first cycle may still find objects through the write barrier, the second only through
  // the roots and the marks.
  gc_finish_cycle();
  gc_finish_cycle();
  for (const auto& k : kept) ASSERT_FALSE(Collected(k.second)) << k.first;
  s->p_Close();
  held->m_socket->p_Close();
  nettest::PumpUntil(nettest::Drained);
  gc_remove_root(&held);
}

}  // namespace
