// The program: the command line is read first; then the host's entry brings everything up and
// runs the loop; kxInit sets every module's globals and kxMain creates the application.
#include <cstdio>

#include "app/app.h"
#include "game/shell/command_line.h"
#include "game/shell/globals.h"
#include "game/shell/myapp.h"
#include "host/vantorgame.h"
#include "net/asyncevent.h"

// The runtime modules come first: the game's globals may rely on them.
void kxInit() {
  kx_app_Init();
  kx_graphics_Init();
  kx_audio_Init();
  kx_input_Init();
  kx_asyncevent_Init();
  kx_Skarblit_Init();
}

int kxMain() {
  (new c_MyApp)->m_new();
  return 0;
}

int main(int argc, char** argv) {
  CommandLine line = kx_cmdline_Parse(argc, argv);
  if (line.status >= 0) {
    fputs(line.text.c_str(), line.status == 0 ? stdout : stderr);
    return line.status;
  }
  return KxVantorGame::Main(argc, const_cast<const char**>(argv));
}
