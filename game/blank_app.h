// A blank application: runs the loop at the game's rate and keeps its window cleared. It is
// what the program runs until the game's own application class takes over.
#pragma once
#include "app/app.h"

class c_BlankApp : public c_App {
 public:
  c_BlankApp* m_new();
  int p_OnCreate() override;
  int p_OnRender() override;
};
