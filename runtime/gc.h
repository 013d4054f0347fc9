// The managed heap: object header, the incremental tri-colour collector, the write barrier and
// the root registry. Everything here runs on the main thread except gc_ext_malloced.
#pragma once
#include <atomic>
#include <cstddef>
#include <type_traits>

// List links come first so the list heads can be plain constant-initialised statics.
struct gc_link {
  gc_link* succ;
  gc_link* pred;
};

struct gc_object : gc_link {
  // Block size (a multiple of 8) in the upper bits, colour in the lowest two.
  unsigned int flags;

  // Links the new block, which gc_object_alloc has just handed out, into the unmarked list.
  // Doing it here rather than in the allocator survives `new T()` zero-filling the object.
  gc_object();
  virtual ~gc_object();
  virtual void mark();

  static void* operator new(std::size_t size);
  static void* operator new(std::size_t, void* block) { return block; }
  static void operator delete(void* block);
  static void operator delete(void*, void*) {}
};

// Colour of the static empty array representations: never equal to gc_markbit.
const unsigned int gc_static_colour = 3;
// Allocated plus external bytes that end a collector cycle.
const int gc_cycle_bytes = 8388608;

extern int gc_markbit;
extern int gc_new_bytes;
extern std::atomic<int> gc_ext_new_bytes;
extern int gc_alloced_bytes;
extern int gc_max_alloced_bytes;
extern int gc_marked_bytes;
extern int gc_free_bytes;

extern gc_link gc_unmarked_list;
extern gc_link gc_queued_list;
extern gc_link gc_marked_list;
extern gc_link gc_free_list;

void* gc_object_alloc(int size);
// Returns the block of an object whose destructor has just run (the objects' operator delete).
void gc_object_free(void* block);

inline unsigned int gc_size_of(const gc_object* object) { return object->flags & ~7u; }
inline bool gc_is_unmarked(const gc_object* object) {
  return (object->flags & 3u) == static_cast<unsigned int>(gc_markbit);
}

void gc_queue(gc_object* object);
void gc_mark_immediately(gc_object* object);

// Interfaces (c_I classes) are not gc_objects themselves; their implementations are.
template <class T>
inline gc_object* gc_object_of(T* p) {
  if constexpr (std::is_base_of<gc_object, T>::value) {
    return p;
  } else {
    return dynamic_cast<gc_object*>(p);
  }
}

// Queueing mark: greys an unmarked object.
template <class T>
inline void gc_mark_q(T* p) {
  if (p) gc_queue(gc_object_of(p));
}
inline void gc_mark_q(std::nullptr_t) {}

// Immediate mark: blackens an unmarked object and marks its fields now.
template <class T>
inline void gc_mark_now(T* p) {
  if (p) gc_mark_immediately(gc_object_of(p));
}

// The write barrier: the new referent is greyed whatever the colour of the holder.
template <class T, class U>
inline T* gc_assign(T*& field, U* value) {
  gc_mark_q(value);
  return field = value;
}
template <class T>
inline T* gc_assign(T*& field, std::nullptr_t) {
  return field = nullptr;
}

void gc_mark_queued(int limit);
void gc_mark();
void gc_init1();
void gc_init2();
void gc_ext_malloced(int bytes);
// Ends the current cycle: drains the queue, turns the unreached into garbage, queues the roots.
void gc_finish_cycle();
// One bounded collector step; alwaysMarked (the host's delegate) is marked at every step.
void gc_step(gc_object* alwaysMarked);

// Root registry: module globals queued by gc_mark() in ascending order.
typedef void (*gc_root_marker)(void* global);
void gc_add_root_entry(int order, void* global, gc_root_marker marker);
void gc_remove_root(void* global);

template <class T>
void gc_add_root(int order, T** global) {
  gc_add_root_entry(order, global, [](void* g) { gc_mark_q(*static_cast<T**>(g)); });
}
