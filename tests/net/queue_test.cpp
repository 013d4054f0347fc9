// The operation queues and sockets: order and thread of completion, connect outcomes, and what
// the collector must keep while they are alive.
#include <gtest/gtest.h>

#include <fcntl.h>

#include "tests/net/loopback.h"

namespace {

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
  // 600 operations in batches of 200 wrap the 256-slot ring twice.
  for (int id = 0; id < 600; ++id) {
    queue->p_Enqueue(new OrderOp(id));
    expected.push_back(id);
    if (id % 200 == 199) nettest::PumpUntil([&] { return completed.size() == expected.size(); });
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
