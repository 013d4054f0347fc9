// The incremental collector. Marking is spread over the steps of a cycle in proportion to the
// bytes allocated; garbage is destroyed lazily by later allocations, byte for byte.
#include "runtime/gc.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <cstdlib>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#define KX_POISON(p, n) ASAN_POISON_MEMORY_REGION(p, n)
#define KX_UNPOISON(p, n) ASAN_UNPOISON_MEMORY_REGION(p, n)
#else
#define KX_POISON(p, n) ((void)(p), (void)(n))
#define KX_UNPOISON(p, n) ((void)(p), (void)(n))
#endif

int gc_markbit = 0;
int gc_new_bytes = 0;
std::atomic<int> gc_ext_new_bytes{0};
int gc_alloced_bytes = 0;
int gc_max_alloced_bytes = 0;
int gc_marked_bytes = 0;
int gc_free_bytes = 0;

gc_link gc_unmarked_list = {&gc_unmarked_list, &gc_unmarked_list};
gc_link gc_queued_list = {&gc_queued_list, &gc_queued_list};
gc_link gc_marked_list = {&gc_marked_list, &gc_marked_list};
gc_link gc_free_list = {&gc_free_list, &gc_free_list};

namespace {

const int kCacheLimit = 64;
// A recycled block: its object is gone, so the link lives in its first word.
struct CachedBlock {
  CachedBlock* next;
};
// One singly linked list per size class of 8 to 56 bytes.
CachedBlock* gc_cache[kCacheLimit / 8];

// Blocks handed out whose constructors have not run yet. Usually one; more when the
// arguments of a new-expression allocate, which happens after the outer block is taken.
struct PendingBlock {
  const char* block;
  unsigned int size;
};
const int kMaxPending = 64;
PendingBlock gc_pending[kMaxPending];
int gc_pending_count = 0;

// Takes the pending entry of the block holding `address`; its size, or 0 when there is none.
unsigned int TakePending(const void* address) {
  const char* at = static_cast<const char*>(address);
  for (int i = gc_pending_count - 1; i >= 0; --i) {
    if (at >= gc_pending[i].block && at < gc_pending[i].block + gc_pending[i].size) {
      unsigned int size = gc_pending[i].size;
      gc_pending[i] = gc_pending[--gc_pending_count];
      return size;
    }
  }
  return 0;
}
// Size of the object whose destructor has just finished, for the operator delete that follows.
unsigned int gc_dying_size = 0;

struct Root {
  int order;
  void* global;
  gc_root_marker marker;
};
std::vector<Root>& Roots() {
  static std::vector<Root> roots;
  return roots;
}

void Unlink(gc_link* node) {
  node->pred->succ = node->succ;
  node->succ->pred = node->pred;
}

void Append(gc_link* list, gc_link* node) {
  node->pred = list->pred;
  node->succ = list;
  list->pred->succ = node;
  list->pred = node;
}

void MakeEmpty(gc_link* list) { list->succ = list->pred = list; }

bool IsEmpty(const gc_link* list) { return list->succ == list; }

// Moves every node of `from` to the end of `to`, leaving `from` empty.
void Splice(gc_link* to, gc_link* from) {
  if (IsEmpty(from)) return;
  from->succ->pred = to->pred;
  to->pred->succ = from->succ;
  from->pred->succ = to;
  to->pred = from->pred;
  MakeEmpty(from);
}

void Flip(gc_object* object) { object->flags ^= 1u; }

// Destroys garbage worth about `size` bytes, oldest first.
void DestroyGarbage(int size) {
  int target = std::max(gc_free_bytes - size, 0);
  while (gc_free_bytes > target) {
    if (IsEmpty(&gc_free_list)) {
      gc_free_bytes = 0;
      return;
    }
    gc_object* object = static_cast<gc_object*>(gc_free_list.succ);
    Unlink(object);
    object->succ = nullptr;
    delete object;
  }
}

void* TakeBlock(unsigned int size) {
  if (size < kCacheLimit) {
    CachedBlock*& head = gc_cache[size / 8];
    if (head) {
      CachedBlock* block = head;
      KX_UNPOISON(block, size);
      head = block->next;
      return block;
    }
  }
  void* block = std::malloc(size);
  if (!block) std::abort();
  return block;
}

}  // namespace

void* gc_object_alloc(int size) {
  if (size <= 0 || size > INT_MAX - 7) std::abort();
  size = (size + 7) & ~7;
  gc_new_bytes += size;
  DestroyGarbage(size);
  void* block = TakeBlock(static_cast<unsigned int>(size));
  // A recycled block holds its last object's bytes; a field a constructor leaves alone would
  // otherwise read whatever the collector happened to free, and a replay could stray on it.
  std::memset(block, 0, static_cast<size_t>(size));
  gc_alloced_bytes += size;
  gc_max_alloced_bytes = std::max(gc_max_alloced_bytes, gc_alloced_bytes);
  if (gc_pending_count == kMaxPending) std::abort();
  gc_pending[gc_pending_count++] = {static_cast<const char*>(block), static_cast<unsigned>(size)};
  return block;
}

void gc_object_free(void* block) {
  unsigned int size = TakePending(block);
  if (size != 0) {
    // A new-expression failed before its constructor ran: the block never became an object.
    gc_alloced_bytes -= static_cast<int>(size);
  } else {
    size = gc_dying_size;
    gc_free_bytes -= static_cast<int>(size);
  }
  if (size >= kCacheLimit || size == 0) {
    std::free(block);
    return;
  }
  CachedBlock* cached = static_cast<CachedBlock*>(block);
  cached->next = gc_cache[size / 8];
  gc_cache[size / 8] = cached;
  // Nothing but the cache may touch a recycled block; ASan reports any other access.
  KX_POISON(reinterpret_cast<char*>(block) + sizeof(CachedBlock), size - sizeof(CachedBlock));
}

gc_object::gc_object() {
  unsigned int size = TakePending(this);
  if (size == 0) {
    // Not from the heap (a static empty array): coloured so the collector leaves it alone.
    succ = pred = nullptr;
    flags = gc_static_colour;
    return;
  }
  flags = size | static_cast<unsigned int>(gc_markbit);
  Append(&gc_unmarked_list, this);
}

gc_object::~gc_object() {
  // Still linked only when a constructor failed: hand the block back as garbage.
  gc_dying_size = gc_size_of(this);
  if (succ && (flags & 3u) != gc_static_colour) {
    Unlink(this);
    gc_alloced_bytes -= static_cast<int>(gc_size_of(this));
    gc_free_bytes += static_cast<int>(gc_size_of(this));
    succ = nullptr;
  }
}

void gc_object::mark() {}

void* gc_object::operator new(std::size_t size) {
  if (size > static_cast<std::size_t>(INT_MAX - 7)) std::abort();
  return gc_object_alloc(static_cast<int>(size));
}

void gc_object::operator delete(void* block) {
  gc_object_free(block);
}

void gc_queue(gc_object* object) {
  if (!gc_is_unmarked(object)) return;
  Flip(object);
  Unlink(object);
  Append(&gc_queued_list, object);
}

void gc_mark_immediately(gc_object* object) {
  if (!gc_is_unmarked(object)) return;
  Flip(object);
  gc_marked_bytes += static_cast<int>(gc_size_of(object));
  Unlink(object);
  Append(&gc_marked_list, object);
  object->mark();
}

void gc_mark_queued(int limit) {
  while (gc_marked_bytes < limit && !IsEmpty(&gc_queued_list)) {
    gc_object* object = static_cast<gc_object*>(gc_queued_list.succ);
    Unlink(object);
    Append(&gc_marked_list, object);
    gc_marked_bytes += static_cast<int>(gc_size_of(object));
    object->mark();
  }
}

void gc_add_root_entry(int order, void* global, gc_root_marker marker) {
  std::vector<Root>& roots = Roots();
  gc_remove_root(global);
  auto at = std::upper_bound(roots.begin(), roots.end(), order,
                             [](int o, const Root& r) { return o < r.order; });
  roots.insert(at, Root{order, global, marker});
}

void gc_remove_root(void* global) {
  std::vector<Root>& roots = Roots();
  roots.erase(std::remove_if(roots.begin(), roots.end(),
                             [global](const Root& r) { return r.global == global; }),
              roots.end());
}

void gc_mark() {
  for (const Root& root : Roots()) root.marker(root.global);
}

void gc_init1() {
  MakeEmpty(&gc_unmarked_list);
  MakeEmpty(&gc_queued_list);
  MakeEmpty(&gc_marked_list);
  MakeEmpty(&gc_free_list);
}

void gc_init2() { gc_mark(); }

void gc_ext_malloced(int bytes) { gc_ext_new_bytes.fetch_add(bytes, std::memory_order_relaxed); }

void gc_finish_cycle() {
  gc_ext_new_bytes.fetch_sub(gc_ext_new_bytes.load());
  gc_mark_queued(INT_MAX);
  if (gc_alloced_bytes != gc_marked_bytes) {
    gc_free_bytes += gc_alloced_bytes - gc_marked_bytes;
    Splice(&gc_free_list, &gc_unmarked_list);
  }
  gc_alloced_bytes = gc_marked_bytes;
  Splice(&gc_unmarked_list, &gc_marked_list);
  gc_marked_bytes = 0;
  gc_markbit ^= 1;
  gc_mark();
  gc_new_bytes = 0;
}

void gc_step(gc_object* alwaysMarked) {
  if (alwaysMarked) gc_mark_immediately(alwaysMarked);
  int64_t pending = static_cast<int64_t>(gc_new_bytes) + gc_ext_new_bytes.load();
  if (pending > gc_cycle_bytes) {
    gc_finish_cycle();
    return;
  }
  int64_t target = gc_new_bytes + static_cast<int64_t>(gc_alloced_bytes - gc_new_bytes) *
                                      gc_new_bytes / gc_cycle_bytes;
  gc_mark_queued(static_cast<int>(std::min<int64_t>(target, INT_MAX)));
}
