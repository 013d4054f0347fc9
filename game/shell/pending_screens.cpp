// Screens and services that other parts of the game still have to provide. Each entry does
// the least that keeps the game coherent until its real implementation lands, and is deleted
// from this file when it does: the menu shows an empty screen in the current clear colour,
// nothing can start a game or open an overlay, no logical key reads as held, and the start-up
// ping (switched off) sends nothing.
#include "game/shell/myapp.h"

void c_MyApp::p_GetURL(String, String) {}
void c_MyApp::p_OnHttpRequestComplete(c_HttpRequest*) {}
