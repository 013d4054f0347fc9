// Stacks and the red-black map: copies, release of references, the tree's invariants under
// random insertion, and what the collector keeps of them.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <random>

#include "containers/containers.h"

namespace {

int destroyedItems = 0;

struct c_Item : Object {
  int m_tag = 0;
  c_Item* m_new(int tag) { return m_tag = tag, this; }
  ~c_Item() override { ++destroyedItems; }
};

typedef c_IntMap<c_Item*> ItemMap;
typedef c_Node<c_Item*> ItemNode;

// Black height of the subtree (colours: -1 red, 1 black), or -1 when a rule is broken below it:
// a wrong parent link, a key out of order, an unknown colour or a red node with a red child.
int BlackHeight(ItemNode* node, ItemNode* parent, long long low, long long high) {
  if (!node) return 1;
  const bool red = node->m_color == -1;
  auto isRed = [](ItemNode* n) { return n && n->m_color == -1; };
  if (node->m_parent != parent || node->m_key <= low || node->m_key >= high ||
      (!red && node->m_color != 1) || (red && (isRed(node->m_left) || isRed(node->m_right)))) {
    return -1;
  }
  int left = BlackHeight(node->m_left, node, low, node->m_key);
  int right = BlackHeight(node->m_right, node, node->m_key, high);
  return left < 0 || left != right ? -1 : left + !red;
}

bool IsRedBlack(ItemMap* map) {
  return (!map->m_root || map->m_root->m_color == 1) &&
         BlackHeight(map->m_root, nullptr, -(1LL << 40), 1LL << 40) > 0;
}

c_Stack<c_Item*>* Items(int n) {
  c_Stack<c_Item*>* stack = (new c_Stack<c_Item*>)->m_new();
  for (int i = 0; i < n; ++i) stack->p_Push((new c_Item)->m_new(i));
  return stack;
}

TEST(StackTest, PushAcrossGrowthContainsByIdentityAndRemovingOrClearingReleases) {
  c_Stack<c_Item*>* stack = Items(25);
  Array<c_Item*> copy = stack->p_ToArray();
  ASSERT_EQ(copy.Length(), 25);
  for (int i = 0; i < 25; ++i) EXPECT_EQ(copy[i]->m_tag, i);
  EXPECT_TRUE(stack->p_Contains2(stack->p_Get(4)));
  EXPECT_FALSE(stack->p_Contains2((new c_Item)->m_new(4)));
  stack->p_Push(stack->p_Get(4));
  stack->p_RemoveEach(stack->p_Get(4));
  ASSERT_EQ(stack->p_Length2(), 24);
  EXPECT_EQ(stack->p_Get(4)->m_tag, 5);
  EXPECT_EQ(stack->m_data[24], nullptr) << "a dropped slot still holds its object";
  stack->p_Clear();
  EXPECT_EQ(stack->m_data[0], nullptr) << "a dropped slot still holds its object";
}

TEST(StackTest, StringStackRangesLengthAndJoin) {
  Array<String> words = String("a b c d e").Split(String(" "));
  c_StringStack* stack = (new c_StringStack)->m_new();
  EXPECT_EQ(stack->p_Join(String(",")).Length(), 0);
  stack->p_Push5(words, 1, 2);
  stack->p_Push6(words, 3);
  EXPECT_EQ(stack->p_Join(String("")), String("bcde"));
  stack->p_Length(40);
  EXPECT_EQ(stack->p_Get(39), String());
  // A single element joins to itself.
  stack->p_Length(1);
  EXPECT_TRUE(stack->p_Join(String("-")).SameRep(words[1]));
  c_StringStack* copy = (new c_StringStack)->m_new2(words);
  words[0] = String("changed");
  EXPECT_EQ(copy->p_Join(String(",")), String("a,b,c,d,e"));
}

TEST(MapTest, RandomInsertionsKeepRedBlackInvariants) {
  std::mt19937 rng(99);
  ItemMap* map = (new ItemMap)->m_new();
  std::map<int, int> model;
  for (int i = 0; i < 5000; ++i) {
    int key = static_cast<int>(rng() % 3000) - 1500;
    // Keys at the ends of the int range order wrongly if compared by subtraction.
    if (rng() % 20 == 0) key = (rng() % 2) ? INT_MAX - static_cast<int>(rng() % 3) : INT_MIN;
    EXPECT_EQ(map->p_Set(key, (new c_Item)->m_new(i)), model.find(key) == model.end());
    model[key] = i;
    ASSERT_TRUE(i % 250 || IsRedBlack(map)) << "after " << i << " insertions";
  }
  ASSERT_TRUE(IsRedBlack(map));
  for (const auto& kv : model) EXPECT_EQ(map->p_Get(kv.first)->m_tag, kv.second);
  EXPECT_EQ(map->p_Get(1600), nullptr);
}

Object* held = nullptr;

// Two cycle ends, the second marking only what `held` reaches (the first also keeps what the
// write barrier greyed), then allocations that pay for all the garbage found.
struct Payer : Object {};
void Collect() {
  for (int i = 0; i < 2; ++i) gc_finish_cycle();
  while (gc_free_bytes > 0) new (gc_object_alloc(std::max(gc_free_bytes, 64))) Payer;
}

// Each container holds 50 items and is reached only through `held`: a container that fails to
// mark a field loses items while held; once dropped, all 50 go. A node of a map reaches the
// whole tree through its parents.
TEST(ContainersAndCollector, WhatAHeldContainerReachesSurvivesCollection) {
  gc_add_root(1, &held);
  auto map = [] {
    ItemMap* map = (new ItemMap)->m_new();
    for (int i = 0; i < 50; ++i) map->p_Set(i * 7 % 50, (new c_Item)->m_new(i));
    return map;
  };
  const std::pair<const char*, std::function<Object*()>> kinds[] = {
      {"stack", [] { return Items(50); }}, {"map", map},
      {"a leaf of a map", [&] { return map()->p_FindNode(0); }}};
  for (const auto& kind : kinds) {
    Collect();
    gc_assign(held, kind.second());
    const int before = destroyedItems;
    Collect();
    EXPECT_EQ(destroyedItems - before, 0) << kind.first;
    held = nullptr;
    Collect();
    EXPECT_EQ(destroyedItems - before, 50) << kind.first;
  }
  gc_remove_root(&held);
}

}  // namespace
