// Program start-up.
#include "host/vantorgame.h"

#include <cstdio>
#include <cstdlib>

#include "host/gamepad.h"

int kx_std_main(int argc, const char** argv) {
  kx_std_startup(argc, argv);
  kxInit();
  gc_init2();
  return kxMain();
}

int KxVantorGame::Main(int argc, const char** argv) {
  return Main2(new KxVantorGame, argc, argv);
}

int KxVantorGame::Main2(KxVantorGame* game, int argc, const char** argv) {
  glfw2::Api& glfw = *glfw2::Current();
  if (!glfw.Init()) {
    puts("glfwInit failed");
    fflush(stdout);
    exit(-1);
  }
  kx_gamepad_AddMappings();
  KxGlfwGame::LoadWindowIcon();
  KxGame::_game = game;
  KxGlfwGame::_glfwGame = game;
  try {
    kx_std_main(argc, argv);
  } catch (Object* exception) {
    glfw.Terminate();
    game->Die(exception);
  }
  if (game->Delegate()) game->Run();
  glfw.Terminate();
  return game->ExitStatus();
}
