// Object: the base of every managed class.
#pragma once
#include "runtime/gc.h"
#include "runtime/string.h"

class Object : public gc_object {
 public:
  // Identity, not field equality.
  virtual bool Equals(Object* other);
  // Orders objects by address.
  virtual int Compare(Object* other);
  virtual String debug();
};
