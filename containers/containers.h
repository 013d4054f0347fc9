// Generic managed containers: a growable stack and an ordered map (a red-black tree with int
// keys). Every stored reference goes through the write barrier; the containers mark their own
// fields.
#pragma once
#include "runtime/runtime.h"

// Stores a value into a managed slot; references are greyed first, plain values just stored.
template <class T>
inline void c_store(T& slot, const T& value) {
  gc_mark_q(value);
  slot = value;
}

template <class T>
class c_Stack : public Object {
 public:
  Array<T> m_data;
  int m_length = 0;

  c_Stack* m_new() { return this; }
  // A stack holding a copy of `values`.
  c_Stack* m_new2(const Array<T>& values) {
    gc_assign(m_data, values.Resize(values.Length()));
    m_length = values.Length();
    return this;
  }

  void p_Push(const T& value) {
    if (m_length == m_data.Length()) Grow((m_length + 5) * 2);
    c_store(m_data[m_length], value);
    ++m_length;
  }
  void p_Push2(const Array<T>& values, int offset, int count) {
    for (int i = 0; i < count; ++i) p_Push(values[offset + i]);
  }
  void p_Push3(const Array<T>& values, int offset) {
    p_Push2(values, offset, values.Length() - offset);
  }
  // The numbered names the string stack and the event-source stack are called by.
  void p_Push4(const T& value) { p_Push(value); }
  void p_Push5(const Array<T>& values, int offset, int count) { p_Push2(values, offset, count); }
  void p_Push6(const Array<T>& values, int offset) { p_Push3(values, offset); }
  void p_Push7(const T& value) { p_Push(value); }
  void p_Push8(const Array<T>& values, int offset, int count) { p_Push2(values, offset, count); }
  void p_Push9(const Array<T>& values, int offset) { p_Push3(values, offset); }

  Array<T> p_ToArray() { return m_data.Resize(m_length); }
  int p_Length2() { return m_length; }
  void p_Length(int n) {
    if (n < 0) n = 0;
    for (int i = n; i < m_length; ++i) m_data[i] = T();
    if (n > m_data.Length()) Grow(n > m_length * 2 + 10 ? n : m_length * 2 + 10);
    m_length = n;
  }
  void p_Clear() { p_Length(0); }
  T p_Get(int index) { return m_data[index]; }
  bool p_Equals(const T& a, const T& b) { return a == b; }
  bool p_Contains2(const T& value) {
    for (int i = 0; i < m_length; ++i) {
      if (p_Equals(m_data[i], value)) return true;
    }
    return false;
  }

  // Drops every element equal to `value`; the others keep their order.
  void p_RemoveEach(const T& value) {
    int kept = 0;
    for (int i = 0; i < m_length; ++i) {
      if (!p_Equals(m_data[i], value)) c_store(m_data[kept++], m_data[i]);
    }
    p_Length(kept);
  }

  void mark() override { gc_mark_q(m_data); }

 private:
  void Grow(int capacity) { gc_assign(m_data, m_data.Resize(capacity)); }
};

typedef c_Stack<String> c_Stack2;

class c_StringStack : public c_Stack<String> {
 public:
  c_StringStack* m_new() {
    c_Stack<String>::m_new();
    return this;
  }
  c_StringStack* m_new2(const Array<String>& values) {
    c_Stack<String>::m_new2(values);
    return this;
  }
  // The elements with `separator` between neighbours; a single element comes back shared.
  String p_Join(const String& separator) { return separator.Join(p_ToArray()); }
};

template <class V>
class c_Node : public Object {
 public:
  int m_key = 0;
  c_Node* m_right = nullptr;
  c_Node* m_left = nullptr;
  V m_value = V();
  // -1 red, 1 black.
  int m_color = 0;
  c_Node* m_parent = nullptr;

  c_Node* m_new(int key, const V& value, int color, c_Node* parent) {
    m_key = key;
    c_store(m_value, value);
    m_color = color;
    gc_assign(m_parent, parent);
    return this;
  }
  void mark() override {
    gc_mark_q(m_right);
    gc_mark_q(m_left);
    gc_mark_q(m_value);
    gc_mark_q(m_parent);
  }
};

template <class V>
class c_Map : public Object {
 public:
  typedef c_Node<V> Node;
  Node* m_root = nullptr;

  c_Map* m_new() { return this; }
  virtual int p_Compare(int a, int b) = 0;

  Node* p_FindNode(int key) {
    Node* node = m_root;
    while (node) {
      int cmp = p_Compare(key, node->m_key);
      if (cmp == 0) return node;
      node = cmp > 0 ? node->m_right : node->m_left;
    }
    return nullptr;
  }
  bool p_Contains(int key) { return p_FindNode(key) != nullptr; }
  // The value stored under key, or the value type's nil when there is none.
  V p_Get(int key) {
    Node* node = p_FindNode(key);
    return node ? node->m_value : V();
  }

  // Replaces the value of an existing key (false) or inserts a new red node (true).
  bool p_Set(int key, const V& value) {
    Node* parent = nullptr;
    Node* node = m_root;
    int cmp = 0;
    while (node) {
      parent = node;
      cmp = p_Compare(key, node->m_key);
      if (cmp == 0) {
        c_store(node->m_value, value);
        return false;
      }
      node = cmp > 0 ? node->m_right : node->m_left;
    }
    Node* fresh = (new Node)->m_new(key, value, -1, parent);
    if (!parent) {
      gc_assign(m_root, fresh);
    } else if (cmp > 0) {
      gc_assign(parent->m_right, fresh);
    } else {
      gc_assign(parent->m_left, fresh);
    }
    p_InsertFixup(fresh);
    return true;
  }
  bool p_Insert(int key, const V& value) { return p_Set(key, value); }

  void p_InsertFixup(Node* node) {
    while (node->m_parent && node->m_parent->m_color == -1) {
      Node* parent = node->m_parent;
      Node* grand = parent->m_parent;
      bool parentIsLeft = parent == grand->m_left;
      Node* uncle = parentIsLeft ? grand->m_right : grand->m_left;
      if (uncle && uncle->m_color == -1) {
        parent->m_color = 1;
        uncle->m_color = 1;
        grand->m_color = -1;
        node = grand;
        continue;
      }
      if (parentIsLeft && node == parent->m_right) {
        node = parent;
        p_RotateLeft(node);
      } else if (!parentIsLeft && node == parent->m_left) {
        node = parent;
        p_RotateRight(node);
      }
      node->m_parent->m_color = 1;
      node->m_parent->m_parent->m_color = -1;
      if (parentIsLeft) {
        p_RotateRight(node->m_parent->m_parent);
      } else {
        p_RotateLeft(node->m_parent->m_parent);
      }
    }
    m_root->m_color = 1;
  }

  void p_RotateLeft(Node* node) { Rotate(node, node->m_right, &Node::m_left, &Node::m_right); }
  void p_RotateRight(Node* node) { Rotate(node, node->m_left, &Node::m_right, &Node::m_left); }

  void mark() override { gc_mark_q(m_root); }

 private:
  // Lifts `child` (on node's `down` side) above `node`; `up` is the side node moves to.
  void Rotate(Node* node, Node* child, Node* Node::*up, Node* Node::*down) {
    gc_assign(node->*down, child->*up);
    if (child->*up) gc_assign((child->*up)->m_parent, node);
    gc_assign(child->m_parent, node->m_parent);
    if (!node->m_parent) {
      gc_assign(m_root, child);
    } else if (node == node->m_parent->*up) {
      gc_assign(node->m_parent->*up, child);
    } else {
      gc_assign(node->m_parent->*down, child);
    }
    gc_assign(child->*up, node);
    gc_assign(node->m_parent, child);
  }
};

// Orders keys numerically. Compared rather than subtracted: a difference of two far-apart
// ints overflows and would misorder them.
template <class V>
class c_IntMap : public c_Map<V> {
 public:
  c_IntMap* m_new() {
    c_Map<V>::m_new();
    return this;
  }
  int p_Compare(int a, int b) override { return (a > b) - (a < b); }
};
