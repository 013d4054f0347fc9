// The program's entry.
#include "game/shell/globals.h"

int main(int argc, char** argv) { return kx_Skarblit_Main(argc, argv); }
