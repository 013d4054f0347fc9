// Array<T>: a fixed-length array whose representation lives on the managed heap. Each element
// type has one static empty representation that the collector never touches.
#pragma once
#include <cstring>
#include <new>
#include <type_traits>

#include "runtime/gc.h"
#include "runtime/string.h"

[[noreturn]] void kx_array_too_long();

template <class T>
struct gc_is_array : std::false_type {};
template <class T>
struct gc_is_array<Array<T>> : std::true_type {};

template <class T>
class Array {
 public:
  struct Rep : gc_object {
    int length;

    Rep() : length(0) {}
    explicit Rep(int n) : length(n) {
      if constexpr (std::is_same<T, String>::value) {
        t_create(n, Data());
      } else {
        std::memset(static_cast<void*>(Data()), 0, sizeof(T) * n);
      }
    }
    ~Rep() override {
      if constexpr (std::is_same<T, String>::value) t_destroy(length, Data());
    }
    void mark() override {
      if constexpr (std::is_pointer<T>::value) {
        for (int i = 0; i < length; ++i) gc_mark_now(Data()[i]);
      } else if constexpr (gc_is_array<T>::value) {
        for (int i = 0; i < length; ++i) gc_mark_q(Data()[i]);
      }
    }
    T* Data() { return reinterpret_cast<T*>(reinterpret_cast<char*>(this) + ElementOffset()); }

    static constexpr std::size_t ElementOffset() {
      return (sizeof(Rep) + alignof(T) - 1) / alignof(T) * alignof(T);
    }
    static Rep* Create(int n) {
      const std::size_t limit = 0x7ffffff0u;
      if (n <= 0) return &nullRep;
      if (static_cast<std::size_t>(n) > (limit - ElementOffset()) / sizeof(T)) kx_array_too_long();
      void* block = gc_object_alloc(static_cast<int>(ElementOffset() + sizeof(T) * n));
      return new (block) Rep(n);
    }
  };
  static Rep nullRep;

  Array() : rep_(&nullRep) {}
  explicit Array(int length) : rep_(Rep::Create(length)) {}
  Array(const T* source, int length) : rep_(Rep::Create(length)) {
    for (int i = 0; i < rep_->length; ++i) Data()[i] = source[i];
  }

  int Length() const { return rep_->length; }
  T& operator[](int index) const { return rep_->Data()[index]; }
  T* Data() const { return rep_->Data(); }
  Rep* GetRep() const { return rep_; }
  bool operator==(const Array& other) const { return rep_ == other.rep_; }
  bool operator!=(const Array& other) const { return rep_ != other.rep_; }

  // A new array of the given length holding this one's first elements, the rest zero or empty.
  Array Resize(int length) const {
    Array result(length);
    int n = length < Length() ? length : Length();
    for (int i = 0; i < n; ++i) result[i] = (*this)[i];
    return result;
  }

 private:
  Rep* rep_;
};

// The static empty representation: never on the heap and coloured so it is never marked.
template <class T>
typename Array<T>::Rep Array<T>::nullRep;

template <class T>
inline void gc_mark_q(const Array<T>& array) {
  if (array.Length() > 0) gc_queue(array.GetRep());
}
template <class T>
inline void gc_mark_now(const Array<T>& array) {
  if (array.Length() > 0) gc_mark_immediately(array.GetRep());
}
template <class T>
inline Array<T> gc_assign(Array<T>& field, const Array<T>& value) {
  gc_mark_q(value);
  return field = value;
}
template <class T>
void gc_add_root(int order, Array<T>* global) {
  gc_add_root_entry(order, global, [](void* g) { gc_mark_q(*static_cast<Array<T>*>(g)); });
}

// Values that hold no managed reference need no marking; generic containers rely on this.
inline void gc_mark_q(const String&) {}
inline void gc_mark_q(int) {}
inline void gc_mark_q(float) {}
inline void gc_mark_q(bool) {}
