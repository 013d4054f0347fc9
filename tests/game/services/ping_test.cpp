// The start-up ping: silent while switched off; switched on, one GET to a loopback endpoint
// whose answer is noted.
#include <chrono>
#include <fstream>
#include <string>
#include <thread>

#include "tests/game/shell/shell_fixture.h"
#include "tests/net/loopback.h"

namespace {

using shelltest::ShellTest;

int ThreadCount() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("Threads:", 0) == 0) return std::atoi(line.c_str() + 8);
  }
  return -1;
}

TEST_F(ShellTest, PingSwitchedOffTouchesNoNetwork) {
  ASSERT_EQ(kx_Skarblit_J_On_Allow, 0);
  int sources = kx_asyncevent__sources->p_Length2();
  int threads = ThreadCount();
  testing::internal::CaptureStdout();
  Create();
  for (int i = 0; i < 3; ++i) Update();
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(kx_asyncevent__sources->p_Length2(), sources);
  EXPECT_LE(ThreadCount(), threads);
  EXPECT_EQ(out, "");
  EXPECT_EQ(kx_Skarblit_J_On_Able, 0);
}

TEST_F(ShellTest, PingSwitchedOnNotesTheAnswer) {
  nettest::LoopbackServer server({"HTTP/1.0 200 OK\r\nServer: loop\r\n\r\nwelcome"});
  Create();
  std::string url = "http://127.0.0.1:" + std::to_string(server.Port()) + "/housecall.php";
  testing::internal::CaptureStdout();
  app->p_GetURL(String(url.c_str()), String("hello=1&gameID=") + String(kx_Skarblit_GameNum));
  EXPECT_EQ(app->m_urlResponse.ToUtf8(), "N/A");
  EXPECT_EQ(app->m_urlDone, 0);
  // Completions arrive through the frame cycle's updates.
  for (int i = 0; i < 5000 && app->m_urlDone == 0; ++i) {
    Update();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  std::string out = testing::internal::GetCapturedStdout();
  ASSERT_EQ(app->m_urlDone, 1);
  size_t requesting = out.find("Requesting URL\n"), complete = out.find("Http GET complete! 200\n");
  EXPECT_TRUE(requesting < complete && complete != std::string::npos) << out;
  ASSERT_EQ(server.Requests().size(), 1u);
  EXPECT_EQ(server.Requests()[0],
            "GET /housecall.php?hello=1&gameID=401 HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n");
  EXPECT_EQ(app->m_urlResponse.ToUtf8(), "welcome");
  EXPECT_EQ(kx_Skarblit_J_On_Able, 1);

  // A completion for any other request changes nothing.
  app->m_urlDone = 0;
  app->p_OnHttpRequestComplete((new c_HttpRequest)->m_new2(String("GET"), String("x/"), app));
  EXPECT_EQ(app->m_urlDone, 0);
}

}  // namespace
