// String::Load over arbitrary file contents: never reads outside the bytes, and whatever it
// returns comes back unchanged through the unit-by-unit encoding the state file is saved in.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "runtime/runtime.h"

namespace {

String LoadBytes(const std::string& bytes) {
  if (bytes.empty()) return String::Load(nullptr);
  FILE* file = fmemopen(const_cast<char*>(bytes.data()), bytes.size(), "rb");
  if (!file) std::abort();
  String text = String::Load(file);
  std::fclose(file);
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
  String text = LoadBytes(std::string(reinterpret_cast<const char*>(data), size));
  // The decoder makes at most one unit per byte.
  if (static_cast<size_t>(text.Length()) > size) std::abort();
  // A leading U+FEFF would be read back as a byte-order mark.
  if (text.Length() > 0 && text[0] == 0xFEFF) return 0;
  if (LoadBytes(text.ToUtf8Units()) != text) std::abort();
  return 0;
}
