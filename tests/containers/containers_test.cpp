// Stacks and the red-black map: copies, release of references, and the tree's invariants
// under random insertion.
#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <random>
#include <vector>

#include "containers/containers.h"

namespace {

struct c_Item : Object {
  int m_tag = 0;
  c_Item* m_new(int tag) {
    m_tag = tag;
    return this;
  }
};

typedef c_IntMap<c_Item*> ItemMap;

// Black height of the subtree, or -1 when a rule is broken below it.
int CheckSubtree(c_Node<c_Item*>* node, c_Node<c_Item*>* parent, long long low, long long high) {
  if (!node) return 1;
  if (node->m_parent != parent || node->m_key <= low || node->m_key >= high) return -1;
  if (node->m_color != -1 && node->m_color != 1) return -1;
  if (node->m_color == -1 && ((node->m_left && node->m_left->m_color == -1) ||
                              (node->m_right && node->m_right->m_color == -1))) {
    return -1;
  }
  int left = CheckSubtree(node->m_left, node, low, node->m_key);
  int right = CheckSubtree(node->m_right, node, node->m_key, high);
  if (left < 0 || right < 0 || left != right) return -1;
  return left + (node->m_color == 1 ? 1 : 0);
}

bool IsRedBlack(ItemMap* map) {
  if (map->m_root && map->m_root->m_color != 1) return false;
  return CheckSubtree(map->m_root, nullptr, -(1LL << 40), 1LL << 40) > 0;
}

TEST(StackTest, PushAcrossGrowthContainsByIdentityAndRemovingOrClearingReleases) {
  c_Stack<c_Item*>* stack = (new c_Stack<c_Item*>)->m_new();
  std::vector<int> capacity;
  for (int i = 0; i < 11; ++i) {
    stack->p_Push((new c_Item)->m_new(i));
    capacity.push_back(stack->m_data.Length());
  }
  EXPECT_EQ(capacity, (std::vector<int>{10, 10, 10, 10, 10, 10, 10, 10, 10, 10, 30}));
  Array<c_Item*> copy = stack->p_ToArray();
  ASSERT_EQ(copy.Length(), 11);
  for (int i = 0; i < 11; ++i) EXPECT_EQ(copy[i]->m_tag, i);
  EXPECT_TRUE(stack->p_Contains2(stack->p_Get(4)));
  EXPECT_FALSE(stack->p_Contains2((new c_Item)->m_new(4)));
  stack->p_Push(stack->p_Get(4));
  stack->p_RemoveEach(stack->p_Get(4));
  ASSERT_EQ(stack->p_Length2(), 10);
  EXPECT_EQ(stack->p_Get(4)->m_tag, 5);
  EXPECT_EQ(stack->m_data[10], nullptr) << "a dropped slot still holds its object";
  stack->p_Length(0);
  EXPECT_EQ(stack->m_data.Length(), 30) << "shrinking keeps the capacity";
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
  // Shrinking releases the strings it drops; a single element joins to itself.
  stack->p_Length(1);
  EXPECT_EQ(stack->m_data[2], String());
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
    bool fresh = model.find(key) == model.end();
    EXPECT_EQ(map->p_Set(key, (new c_Item)->m_new(i)), fresh);
    model[key] = i;
    if (i % 250 == 0) {
      ASSERT_TRUE(IsRedBlack(map)) << "after " << i << " insertions";
    }
  }
  ASSERT_TRUE(IsRedBlack(map));
  for (const auto& kv : model) {
    ASSERT_TRUE(map->p_Contains(kv.first));
    EXPECT_EQ(map->p_Get(kv.first)->m_tag, kv.second);
  }
  EXPECT_FALSE(map->p_Contains(1600));
  EXPECT_EQ(map->p_Get(1600), nullptr);
}

}  // namespace
