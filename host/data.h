// Asset names: a bare name is taken relative to the data folder of the program's path scheme.
#pragma once
#include "runtime/runtime.h"

// Scheme paths (x://...), "./..." and "/..." stay as they are; anything else gets
// "vantor://data/" in front.
String kx_data_FixDataPath(String path);
