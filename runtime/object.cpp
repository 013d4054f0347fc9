// The default operations of every managed object.
#include "runtime/object.h"

bool Object::Equals(Object* other) { return this == other; }

int Object::Compare(Object* other) {
  // The sign of the address difference, which need not fit an int.
  if (this == other) return 0;
  return this < other ? -1 : 1;
}

String Object::debug() { return String("+Object\n"); }
