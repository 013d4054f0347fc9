// Fixed-size blocks of raw bytes that the sockets read into and write from, with byte copies to
// and from integer arrays and string encoding as UTF-8 or single bytes.
#pragma once
#include "runtime/runtime.h"

// Owns the memory of one block; the managed buffer below adds the operations.
class KxDataBuffer {
 public:
  unsigned char* m_bytes = nullptr;
  int m_length = 0;

  KxDataBuffer() = default;
  KxDataBuffer(const KxDataBuffer&) = delete;
  KxDataBuffer& operator=(const KxDataBuffer&) = delete;
  virtual ~KxDataBuffer() { Discard(); }

  // Adopts `data` (allocated with malloc) or allocates `length` bytes; false when a block is
  // already held or the length is impossible.
  bool _New(int length, void* data = nullptr);
  void Discard();
  int Length() const { return m_length; }
};

class c_DataBuffer : public Object, public KxDataBuffer {
 public:
  c_DataBuffer* m_new(int length);
  int p_Length() const { return m_length; }
  void p_PokeBytes(int address, Array<int> bytes, int offset, int count);
  void p_PeekBytes(int address, Array<int> bytes, int offset, int count);
  Array<int> p_PeekBytes2(int address, int count);
  void p_CopyBytes(int address, c_DataBuffer* dst, int dstAddress, int count);
  // Returns the full encoded length, even when the end of the block cut the write short.
  int p_PokeString(int address, const String& text, const String& encoding);
  String p_PeekString(int address, int count, const String& encoding);
  String p_PeekString2(int address, const String& encoding);
};
