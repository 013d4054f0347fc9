// The program's entry.
#include "game/shell/globals.h"

#include <cstdlib>

// Ends through exit() rather than a return: in the browser, main returns long after the page
// called it, and only exit() tells the page how the run ended.
int main(int argc, char** argv) { std::exit(kx_Skarblit_Main(argc, argv)); }
