// The runtime every other module is written against: strings, managed arrays and objects, the
// collector and its write barrier, logging and fatal errors.
#pragma once
#include "runtime/array.h"
#include "runtime/error.h"
#include "runtime/gc.h"
#include "runtime/object.h"
#include "runtime/string.h"
