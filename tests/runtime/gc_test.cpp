// The collector against a randomized mutator, plus the heap's bookkeeping corners.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "runtime/runtime.h"

namespace {

const uint64_t kAlive = 0x5AFEC0DE5AFEC0DEull;
const uint64_t kDead = 0xDEADDEADDEADDEADull;

// Every test object knows its id; the registry says whether it has been destroyed.
struct Registry {
  std::vector<const void*> address;
  std::vector<char> destroyed;
  int doubleDestroyed = 0;
  int badCanary = 0;
};
Registry* registry = nullptr;

struct TBase : Object {
  uint64_t canary = kAlive;
  int id;
  TBase() : id(static_cast<int>(registry->address.size())) {
    registry->address.push_back(this);
    registry->destroyed.push_back(0);
  }
  ~TBase() override {
    if (canary != kAlive) ++registry->badCanary;
    if (registry->destroyed[id]) ++registry->doubleDestroyed;
    registry->destroyed[id] = 1;
    canary = kDead;
  }
  // True when the object is what the mutator thinks it is: intact and not destroyed.
  bool Sound() const {
    return canary == kAlive && id >= 0 && id < static_cast<int>(registry->address.size()) &&
           registry->address[id] == this && !registry->destroyed[id];
  }
  virtual TBase* Edge(std::mt19937&) { return nullptr; }
};

// Small enough for the block cache.
struct TLeaf : TBase {};

struct TNode : TBase {
  TBase* a = nullptr;
  TBase* b = nullptr;
  Array<TBase*> arr;
  void mark() override {
    gc_mark_q(a);
    gc_mark_q(b);
    gc_mark_q(arr);
  }
  TBase* Edge(std::mt19937& rng) override {
    int pick = static_cast<int>(rng() % 3);
    if (pick == 0) return a;
    if (pick == 1) return b;
    return arr.Length() ? arr[static_cast<int>(rng() % arr.Length())] : nullptr;
  }
};

const int kGlobals = 6;
TBase* globals[kGlobals];
Array<TBase*> globalArray;

class Mutator {
 public:
  explicit Mutator(unsigned seed) : rng_(seed) {}

  // A random object the program can reach right now: a walk from a random root.
  TBase* Reachable() {
    TBase* at = Root();
    for (int hops = static_cast<int>(rng_() % 5); at && hops > 0; --hops) {
      EXPECT_TRUE(at->Sound());
      TBase* next = at->Edge(rng_);
      if (!next) break;
      at = next;
    }
    if (at) {
      EXPECT_TRUE(at->Sound());
    }
    return at;
  }

  TBase* Fresh() {
    if (rng_() % 3 == 0) return new TLeaf;
    TNode* node = new TNode;
    if (rng_() % 4 == 0) gc_assign(node->arr, Array<TBase*>(1 + static_cast<int>(rng_() % 6)));
    return node;
  }

  void Mutate() {
    int kind = static_cast<int>(rng_() % 10);
    TBase* value = kind < 4 ? Fresh() : (kind < 8 ? Reachable() : nullptr);
    if (rng_() % 8 == 0) {
      int slot = static_cast<int>(rng_() % (kGlobals + 1));
      if (slot == kGlobals) {
        gc_assign(globalArray[static_cast<int>(rng_() % globalArray.Length())], value);
      } else {
        gc_assign(globals[slot], value);
      }
      return;
    }
    TNode* holder = dynamic_cast<TNode*>(Reachable());
    if (!holder) {
      gc_assign(globals[rng_() % kGlobals], value);
      return;
    }
    switch (rng_() % 4) {
      case 0:
        gc_assign(holder->a, value);
        break;
      case 1:
        gc_assign(holder->b, value);
        break;
      case 2:
        if (holder->arr.Length()) {
          gc_assign(holder->arr[static_cast<int>(rng_() % holder->arr.Length())], value);
        }
        break;
      default:
        if (rng_() % 4 == 0) gc_assign(holder->arr, Array<TBase*>(static_cast<int>(rng_() % 5)));
        break;
    }
  }

 private:
  TBase* Root() {
    int slot = static_cast<int>(rng_() % (kGlobals + 1));
    if (slot < kGlobals) return globals[slot];
    return globalArray[static_cast<int>(rng_() % globalArray.Length())];
  }

  std::mt19937 rng_;
};

// Ids of every object reachable from the roots, checking each one on the way.
std::vector<char> ReachableIds() {
  std::vector<char> seen(registry->address.size(), 0);
  std::vector<TBase*> todo(globals, globals + kGlobals);
  for (int i = 0; i < globalArray.Length(); ++i) todo.push_back(globalArray[i]);
  while (!todo.empty()) {
    TBase* object = todo.back();
    todo.pop_back();
    if (!object) continue;
    if (!object->Sound()) {
      ADD_FAILURE() << "reachable object destroyed or corrupted";
      continue;
    }
    if (seen[object->id]) continue;
    seen[object->id] = 1;
    if (TNode* node = dynamic_cast<TNode*>(object)) {
      todo.push_back(node->a);
      todo.push_back(node->b);
      for (int i = 0; i < node->arr.Length(); ++i) todo.push_back(node->arr[i]);
    }
  }
  return seen;
}

// Lets one allocation pay for all the garbage on the free list. The payer is too big for the
// block cache, so the cache lists stay as the destroyed garbage left them.
struct Payer : Object {};
void PayForGarbage() {
  while (gc_free_bytes > 0) new (gc_object_alloc(std::max(gc_free_bytes, 64))) Payer;
}

void ForceCycleEnd() {
  gc_ext_malloced(gc_cycle_bytes + 1);
  gc_step(nullptr);
}

class GcTest : public ::testing::Test {
 protected:
  void SetUp() override {
    registry = &registry_;
    for (int i = 0; i < kGlobals; ++i) gc_add_root(1000 + i, &globals[i]);
    gc_add_root(1000 + kGlobals, &globalArray);
    gc_assign(globalArray, Array<TBase*>(4));
    ForceCycleEnd();
    PayForGarbage();
  }
  void TearDown() override {
    for (TBase*& g : globals) g = nullptr;
    globalArray = Array<TBase*>();
    for (int i = 0; i < 3; ++i) {
      ForceCycleEnd();
      PayForGarbage();
    }
    EXPECT_EQ(registry_.doubleDestroyed, 0);
    EXPECT_EQ(registry_.badCanary, 0);
    for (size_t id = 0; id < registry_.destroyed.size(); ++id) {
      ASSERT_TRUE(registry_.destroyed[id]) << "object " << id << " never reclaimed";
    }
    for (TBase*& g : globals) gc_remove_root(&g);
    gc_remove_root(&globalArray);
    registry = nullptr;
  }
  Registry registry_;
};

TEST_F(GcTest, RandomMutatorNeverLosesReachableAndReclaimsGarbage) {
  Mutator mutator(20261206);
  std::vector<int> unreachableBefore;
  int cycles = 0;
  const int kMutations = 1000000;
  for (int m = 1; m <= kMutations; ++m) {
    mutator.Mutate();
    if (m % 64 == 0) gc_step(m % 128 == 0 ? globals[0] : nullptr);
    if (m % 5000 != 0) continue;
    ForceCycleEnd();
    PayForGarbage();
    ++cycles;
    // Unreachable at the previous cycle's end: garbage at this one, and paid for by now.
    for (int id : unreachableBefore) {
      ASSERT_TRUE(registry_.destroyed[id]) << "garbage object " << id << " still alive";
    }
    std::vector<char> reachable = ReachableIds();
    unreachableBefore.clear();
    for (size_t id = 0; id < reachable.size(); ++id) {
      if (!reachable[id] && !registry_.destroyed[id]) unreachableBefore.push_back(int(id));
    }
    ASSERT_EQ(registry_.doubleDestroyed, 0);
    ASSERT_EQ(registry_.badCanary, 0);
  }
  EXPECT_GE(cycles, 150);
}

TEST_F(GcTest, ObjectStoredOnlyInGlobalDuringCycleSurvives) {
  ForceCycleEnd();
  // Mid-cycle: the roots are already queued, so only the barrier can save the newcomer.
  gc_step(nullptr);
  TBase* late = new TLeaf;
  gc_assign(globals[3], late);
  ForceCycleEnd();
  ForceCycleEnd();
  PayForGarbage();
  EXPECT_TRUE(late->Sound());
}

TEST_F(GcTest, ExternalBytesAloneEndTheCycle) {
  int id = (new TLeaf)->id;
  gc_ext_malloced(gc_cycle_bytes / 2);
  gc_step(nullptr);
  EXPECT_EQ(gc_ext_new_bytes.load(), gc_cycle_bytes / 2);
  gc_ext_malloced(gc_cycle_bytes / 2 + 8);
  gc_step(nullptr);
  EXPECT_EQ(gc_ext_new_bytes.load(), 0);
  EXPECT_EQ(gc_new_bytes, 0);
  EXPECT_GT(gc_free_bytes, 0);
  PayForGarbage();
  EXPECT_TRUE(registry_.destroyed[id]);
}

TEST_F(GcTest, GarbageIsDestroyedByLaterAllocationsNotAtCycleEnd) {
  TBase* leaf = new TLeaf;
  int id = leaf->id;
  ForceCycleEnd();
  EXPECT_FALSE(registry_.destroyed[id]);
  EXPECT_GE(gc_free_bytes, static_cast<int>(gc_size_of(leaf)));
  PayForGarbage();
  EXPECT_TRUE(registry_.destroyed[id]);
}

TEST_F(GcTest, SmallBlocksAreRecycledThroughTheirSizeClass) {
  ForceCycleEnd();
  PayForGarbage();
  TBase* leaf = new TLeaf;
  ASSERT_LT(gc_size_of(leaf), 64u);
  ASSERT_EQ(gc_size_of(leaf) % 8, 0u);
  const void* block = leaf;
  ForceCycleEnd();
  PayForGarbage();
  // The freed block is on top of its class's cache list, so the next same-sized object gets it.
  TBase* next = new TLeaf;
  EXPECT_EQ(static_cast<const void*>(next), block);
}

TEST_F(GcTest, CycleWithoutNewGarbageLeavesFreeListAlone) {
  gc_assign(globals[1], static_cast<TBase*>(new TNode));
  gc_assign(static_cast<TNode*>(globals[1])->b, static_cast<TBase*>(new TLeaf));
  ForceCycleEnd();
  PayForGarbage();
  // The payment itself is the last new garbage.
  ForceCycleEnd();
  int before = gc_free_bytes;
  ForceCycleEnd();
  EXPECT_EQ(gc_free_bytes, before);
  ForceCycleEnd();
  EXPECT_EQ(gc_free_bytes, before);
  EXPECT_TRUE(globals[1]->Sound());
}

TEST_F(GcTest, ArrayElementsAreMarkedAndStringArraysReleaseTheirStrings) {
  gc_assign(globals[2], static_cast<TBase*>(new TNode));
  TNode* node = static_cast<TNode*>(globals[2]);
  gc_assign(node->arr, Array<TBase*>(3));
  TBase* held = new TLeaf;
  gc_assign(node->arr[2], held);
  String text = String("shared");
  {
    Array<String> strings(2);
    strings[0] = text;
  }
  ForceCycleEnd();
  ForceCycleEnd();
  PayForGarbage();
  EXPECT_TRUE(held->Sound());
  // Still intact after its array copy was destroyed: the count went back down, not to zero.
  EXPECT_EQ(text, String("shared"));
}

TEST_F(GcTest, RootsAreQueuedInAscendingOrder) {
  std::vector<int> order;
  struct Probe : TBase {
    std::vector<int>* log;
    int tag;
    void mark() override { log->push_back(tag); }
  };
  static TBase* probes[3];
  const int orders[3] = {30, 10, 20};
  for (int i = 0; i < 3; ++i) {
    Probe* p = new Probe;
    p->log = &order;
    p->tag = orders[i];
    gc_assign(probes[i], static_cast<TBase*>(p));
    gc_add_root(orders[i], &probes[i]);
  }
  ForceCycleEnd();
  order.clear();
  gc_mark_queued(INT32_MAX);
  for (TBase*& p : probes) gc_remove_root(&p);
  for (TBase*& p : probes) p = nullptr;
  EXPECT_EQ(order, (std::vector<int>{10, 20, 30}));
}

TEST(GcStatic, EmptyArraysAreNeverOnTheHeap) {
  Array<Object*> empty;
  Array<String> zero(0);
  EXPECT_EQ(empty.GetRep(), &Array<Object*>::nullRep);
  EXPECT_EQ(zero.GetRep(), &Array<String>::nullRep);
  EXPECT_EQ(empty.GetRep()->flags & 3u, gc_static_colour);
}

}  // namespace
