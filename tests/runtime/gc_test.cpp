// The collector against a randomized mutator, its pacing, and the heap's bookkeeping corners.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "runtime/runtime.h"

namespace {

const uint64_t kAlive = 0x5AFEC0DE5AFEC0DEull;
std::vector<char> destroyed;  // by object id

// Also the leaf: small enough for the block cache.
struct TBase : Object {
  uint64_t canary = kAlive;
  int id = static_cast<int>(destroyed.size());
  TBase() { destroyed.push_back(0); }
  ~TBase() override {
    EXPECT_TRUE(Sound()) << "object destroyed twice or corrupted";
    if (Sound()) destroyed[id] = 1, canary = 0;
  }
  // True when the object is what the mutator thinks it is: intact and not destroyed.
  bool Sound() const {
    return canary == kAlive && id >= 0 && id < static_cast<int>(destroyed.size()) && !destroyed[id];
  }
};

// Arrays of objects, as fields and as roots, are marked through the stacks of the container
// tests.
struct TNode : TBase {
  TBase *a = nullptr, *b = nullptr;
  void mark() override { gc_mark_q(a), gc_mark_q(b); }
};

const int kGlobals = 6;
TBase* globals[kGlobals];

// The mutator rewires the object graph only through what it can reach from the globals, like
// a program.
std::mt19937 rng;
int R(int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); }
TBase** RootSlot() { return &globals[R(kGlobals)]; }
TBase** Field(TNode* node) { return R(2) ? &node->a : &node->b; }
// A random object the program can reach right now: a short walk from a random root.
TBase* Reachable() {
  TBase* at = *RootSlot();
  for (int hops = R(5); at; --hops) {
    EXPECT_TRUE(at->Sound());
    TNode* node = dynamic_cast<TNode*>(at);
    TBase* next = hops > 0 && node ? *Field(node) : nullptr;
    if (!next) return at;
    at = next;
  }
  return at;
}
void Mutate() {
  TNode* holder = dynamic_cast<TNode*>(Reachable());
  int kind = R(10);
  TBase* value = kind < 4 ? (R(3) ? new TNode : new TBase) : (kind < 8 ? Reachable() : nullptr);
  gc_assign(*(holder && R(8) ? Field(holder) : RootSlot()), value);
}

// Sets the id of every object reachable from the roots in `seen`, checking each one on the way.
void FindReachable(std::vector<char>* seen) {
  seen->assign(destroyed.size(), 0);
  std::vector<TBase*> todo(globals, globals + kGlobals);
  while (!todo.empty()) {
    TBase* object = todo.back();
    todo.pop_back();
    if (!object) continue;
    ASSERT_TRUE(object->Sound()) << "reachable object destroyed or corrupted";
    if ((*seen)[object->id]) continue;
    (*seen)[object->id] = 1;
    if (TNode* node = dynamic_cast<TNode*>(object)) todo.insert(todo.end(), {node->a, node->b});
  }
}

// Lets one allocation pay for all the garbage on the free list. The payer is too big for the
// block cache, so the cache lists stay as the destroyed garbage left them.
struct Payer : Object {};
void PayForGarbage() {
  while (gc_free_bytes > 0) new (gc_object_alloc(std::max(gc_free_bytes, 64))) Payer;
}

void ForceCycleEnd(int times = 1, bool pay = false) {
  for (int i = 0; i < times; ++i) gc_ext_malloced(gc_cycle_bytes + 1), gc_step(nullptr);
  if (pay) PayForGarbage();
}

class GcTest : public ::testing::Test {
 protected:
  void SetUp() override {
    destroyed.clear();
    for (int i = 0; i < kGlobals; ++i) gc_add_root(1000 + i, &globals[i]);
    ForceCycleEnd(1, true);
  }
  void TearDown() override {
    for (TBase*& g : globals) g = nullptr;
    for (int i = 0; i < 3; ++i) ForceCycleEnd(1, true);
    for (size_t id = 0; id < destroyed.size(); ++id) {
      ASSERT_TRUE(destroyed[id]) << "object " << id << " never reclaimed";
    }
    for (TBase*& g : globals) gc_remove_root(&g);
  }
};

TEST_F(GcTest, RandomMutatorNeverLosesReachableAndReclaimsGarbage) {
  rng.seed(20261206);
  std::vector<int> unreachableBefore;
  for (int m = 1; m <= 1000000; ++m) {
    Mutate();
    if (m % 64 == 0) gc_step(m % 128 == 0 ? globals[0] : nullptr);
    if (m % 5000 != 0) continue;
    ForceCycleEnd(1, true);
    // Unreachable at the previous cycle's end: garbage at this one, and paid for by now.
    for (int id : unreachableBefore) ASSERT_TRUE(destroyed[id]) << "garbage " << id << " alive";
    std::vector<char> reachable;
    FindReachable(&reachable);
    ASSERT_FALSE(HasFailure());
    unreachableBefore.clear();
    for (size_t id = 0; id < reachable.size(); ++id) {
      if (!reachable[id] && !destroyed[id]) unreachableBefore.push_back(static_cast<int>(id));
    }
  }
}

TEST_F(GcTest, ExternalBytesEndTheCycleAndAllocationsPayForTheGarbage) {
  // A new cycle, so what earlier tests allocated to pay for their garbage counts for nothing
  // in this one; until a cycle ends, the garbage left to pay for stays as it is.
  ForceCycleEnd();
  int id = (new TBase)->id;
  // Garbage too; under LeakSanitizer its strings leak unless its destruction releases them.
  String("one two").Split(String(" "));
  const int unpaid = gc_free_bytes;
  gc_ext_malloced(gc_cycle_bytes / 2);
  gc_step(nullptr);
  EXPECT_EQ(gc_free_bytes, unpaid);
  gc_ext_malloced(gc_cycle_bytes / 2 + 8);
  gc_step(nullptr);
  EXPECT_EQ(gc_ext_new_bytes.load(), 0);
  EXPECT_FALSE(destroyed[id]);
  PayForGarbage();
  EXPECT_TRUE(destroyed[id]);
}

// Worked by hand: 4 MiB old, all in reach of the queued roots, and 1 MiB allocated since the
// cycle began; a step marks the new bytes and their share of the old, 1 + 4 * 1/8 = 1.5 MiB,
// up to one block more. Neither the whole heap nor nothing.
TEST_F(GcTest, AStepMarksTheNewBytesAndTheirShareOfTheOld) {
  auto kib = [] { return new (gc_object_alloc(1024)) TNode; };
  for (int i = 0; i < 4096; ++i) {
    TNode* node = kib();
    gc_assign(node->a, globals[0]);
    gc_assign(globals[0], static_cast<TBase*>(node));
  }
  ForceCycleEnd();
  for (int i = 0; i < 1024; ++i) kib();
  gc_step(nullptr);
  EXPECT_GE(gc_marked_bytes, 1536 * 1024);
  EXPECT_LT(gc_marked_bytes, 1538 * 1024);
}

// The argument is allocated after the outer block but before the outer constructor runs.
struct TPair : TNode {
  explicit TPair(TBase* first) { gc_assign(a, first); }
};
// A field its constructor leaves alone reads 0, never what the block's last object held: a
// replayed run must not depend on which blocks the collector happened to free.
struct TUnset : TBase {
  int left;
  TUnset() {}
};

TEST_F(GcTest, NestedNewKeepsBothObjectsManagedAndRecycledBlocksComeBackZeroed) {
  gc_assign(globals[0], static_cast<TBase*>(new TPair(new TBase)));
  for (int i = 0; i < 100; ++i) (new TUnset)->left = 77;
  ForceCycleEnd(2, true);
  ASSERT_TRUE(globals[0]->Sound());
  EXPECT_TRUE(static_cast<TNode*>(globals[0])->a->Sound());
  for (int i = 0; i < 100; ++i) EXPECT_EQ((new TUnset)->left, 0);
  // The pair is reclaimed like any other once dropped; TearDown checks that.
}

}  // namespace
