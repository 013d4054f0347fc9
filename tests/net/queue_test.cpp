// The operation queues and sockets: order and thread of completion, connect outcomes.
#include <gtest/gtest.h>

#include <fcntl.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <utility>
#include <vector>

#include "net/socket.h"
#include "tests/net/loopback.h"

namespace {

// Execution order is taken on the worker from a counter no managed code touches.
std::atomic<int> executed{0};

class OrderOp : public c_AsyncOp {
 public:
  int m_id = 0;
  int m_ranAs = -1;
  std::vector<int>* m_completed = nullptr;
  bool* m_wrongThread = nullptr;

  OrderOp* m_new(int id, std::vector<int>* completed, bool* wrongThread) {
    m_id = id;
    m_completed = completed;
    m_wrongThread = wrongThread;
    return this;
  }
  void p_Execute__UNSAFE__() override {
    // Uneven work, so a worker that ran operations out of order would show it.
    if (m_id % 7 == 0) std::this_thread::sleep_for(std::chrono::microseconds(300));
    m_ranAs = executed.fetch_add(1);
  }
  void p_Complete(c_Socket*) override {
    if (!kx_asyncevent__current) *m_wrongThread = true;
    m_completed->push_back(m_id);
  }
};

TEST(AsyncQueue, CompletesInEnqueueOrderOnTheMainThreadAcrossTheRing) {
  kx_asyncevent_Init();
  executed = 0;
  std::vector<int> completed;
  bool wrongThread = false;
  std::vector<OrderOp*> ops;
  c_AsyncQueue* queue = (new c_AsyncQueue)->m_new(nullptr);
  kx_asyncevent_AddAsyncEventSource(queue);
  // 600 operations in batches of up to 200 wrap the 256-slot ring twice.
  for (int id = 0; id < 600; ++id) {
    ops.push_back((new OrderOp)->m_new(id, &completed, &wrongThread));
    queue->p_Enqueue(ops.back());
    if (id % 200 == 199) {
      ASSERT_TRUE(nettest::PumpUntil([&] { return completed.size() == ops.size(); }));
    }
  }
  ASSERT_EQ(completed.size(), 600u);
  for (int id = 0; id < 600; ++id) {
    ASSERT_EQ(completed[id], id);
    ASSERT_EQ(ops[id]->m_ranAs, id);
  }
  EXPECT_FALSE(wrongThread);
}

// Calls back on connect, counting calls.
class ConnectCounter : public Object, public c_IOnConnectComplete {
 public:
  int calls = 0;
  bool connected = false;
  void p_OnConnectComplete(bool ok, c_Socket*) override {
    ++calls;
    connected = ok;
  }
};

class ReceiveCounter : public Object, public c_IOnReceiveComplete {
 public:
  int calls = 0;
  int count = 1;
  void p_OnReceiveComplete(c_DataBuffer*, int, int got, c_Socket*) override {
    ++calls;
    count = got;
  }
};

TEST(Socket, OnlyAResolvedHostAndAPortInRangeAreConnectedTo) {
  kx_asyncevent_Init();
  int port = 0;
  const int listener = nettest::BindLoopback(8, &port);  // connects by its backlog alone
  ASSERT_GE(listener, 0);
  // An empty or malformed name (refused without asking any server) would leave 0.0.0.0, which
  // Linux takes for this machine; a port out of range would wrap onto the listener's.
  const std::pair<const char*, int> cases[] = {
      {"127.0.0.1", port}, {"", port}, {"x..y", port}, {"127.0.0.1", port + 65536},
      {"127.0.0.1", port - 65536}};
  for (const auto& c : cases) {
    c_Socket* socket = (new c_Socket)->m_new(String("stream"));
    ConnectCounter* counter = new ConnectCounter;
    socket->p_ConnectAsync(String(c.first), c.second, counter);
    ASSERT_TRUE(nettest::PumpUntil([&] { return counter->calls > 0; }));
    EXPECT_EQ(counter->connected, &c == &cases[0]) << c.first << ":" << c.second;
    EXPECT_EQ(socket->p_IsConnected(), counter->connected);
    socket->p_Close();
  }
  close(listener);
}

TEST(Socket, ConnectsOnceAndClosingWakesABlockedReceiveBeforeReleasingTheHandle) {
  kx_asyncevent_Init();
  nettest::LoopbackServer silent({});
  c_Socket* socket = (new c_Socket)->m_new(String("stream"));
  ConnectCounter* first = new ConnectCounter;
  ConnectCounter* second = new ConnectCounter;
  socket->p_ConnectAsync(String("localhost"), silent.Port(), first);
  ASSERT_TRUE(nettest::PumpUntil([&] { return first->calls > 0; }));
  EXPECT_TRUE(first->connected);
  EXPECT_TRUE(socket->p_IsConnected());
  socket->p_ConnectAsync(String("127.0.0.1"), silent.Port(), second);
  ReceiveCounter* receive = new ReceiveCounter;
  socket->p_ReceiveAsync((new c_DataBuffer)->m_new(64), 0, 64, receive);
  int handle = socket->m_sock.m_handle;
  nettest::PumpUntil([] { return false; }, 0.05);
  EXPECT_EQ(first->calls, 1);
  EXPECT_EQ(second->calls, 0) << "a second connect is ignored";
  socket->p_Close();
  EXPECT_FALSE(socket->p_IsConnected());
  // The worker may still be inside its call, so the descriptor must not be reused yet.
  EXPECT_NE(fcntl(handle, F_GETFD), -1);
  ASSERT_TRUE(nettest::PumpUntil([&] { return receive->calls > 0; }));
  EXPECT_LE(receive->count, 0);
  EXPECT_EQ(fcntl(handle, F_GETFD), -1);
  EXPECT_FALSE(socket->p_IsOpen());
}

}  // namespace
