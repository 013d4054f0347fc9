// A program on the real host, app framework and devices whose application reports what the
// loop does: "updates N" for each second, "suspend" and "resume".
#include "app/app.h"
#include "host/vantorgame.h"

class c_ProbeApp : public c_App {
 public:
  int m_updates = 0;
  int m_secondStart = 0;

  int p_OnCreate() override {
    kx_app_SetUpdateRate(60);
    return Restart();
  }
  int p_OnUpdate() override {
    ++m_updates;
    if (kx_app_Millisecs() - m_secondStart < 1000) return 0;
    kxPrint(String("updates ") + String(m_updates));
    m_updates = 0;
    m_secondStart += 1000;
    return 0;
  }
  int p_OnSuspend() override {
    kxPrint(String("suspend"));
    return 0;
  }
  int p_OnResume() override {
    kxPrint(String("resume"));
    return Restart();
  }
  // Counting starts afresh: a suspension cuts the current second short.
  int Restart() {
    m_updates = 0;
    m_secondStart = kx_app_Millisecs();
    return 0;
  }
};

void kxInit() {
  kx_app_Init();
  kx_graphics_Init();
  kx_audio_Init();
  kx_input_Init();
}

int kxMain() {
  (new c_ProbeApp)->m_new();
  return 0;
}

int main(int argc, char** argv) { return KxVantorGame::Main(argc, const_cast<const char**>(argv)); }
