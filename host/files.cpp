// Files: the program's path scheme, opening files, whole-file readers and the state file.
// Paths stay relative to the working directory; files are opened by the path's UTF-8 bytes.
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "host/data.h"
#include "host/game.h"

namespace {

const char kStateFile[] = "./.vantorstate";
// The new state is written here first, so a failed write never touches the stored state.
const char kStateTemp[] = "./.vantorstate.tmp";

std::vector<unsigned char> ReadAll(FILE* stream) {
  std::vector<unsigned char> bytes;
  unsigned char block[4096];
  size_t n;
  do {
    n = fread(block, 1, sizeof(block), stream);
    bytes.insert(bytes.end(), block, block + n);
  } while (n == sizeof(block));
  return bytes;
}

}  // namespace

String KxGame::PathToFilePath(String path) { return path; }

FILE* KxGame::OpenFile(String path, String mode) {
  String file = PathToFilePath(path);
  std::string bytes = file.ToUtf8();
  // An embedded zero would silently name a different file.
  if (bytes.empty() || bytes.find('\0') != std::string::npos) return nullptr;
  return fopen(bytes.c_str(), mode.ToUtf8().c_str());
}

unsigned char* KxGame::LoadData(String path, int* plength) {
  FILE* stream = OpenFile(path, "rb");
  if (!stream) return nullptr;
  std::vector<unsigned char> bytes = ReadAll(stream);
  fclose(stream);
  unsigned char* data = static_cast<unsigned char*>(malloc(bytes.empty() ? 1 : bytes.size()));
  if (!bytes.empty()) memcpy(data, bytes.data(), bytes.size());
  int length = static_cast<int>(bytes.size());
  if (plength) *plength = length;
  gc_ext_malloced(length);
  return data;
}

String KxGame::LoadString(String path) {
  FILE* stream = OpenFile(path, "rb");
  if (!stream) return String();
  String text = String::Load(stream);
  fclose(stream);
  return text;
}

String KxGame::LoadState() { return LoadString(kStateFile); }

// The old state is replaced only once the new one is completely on disk.
int KxGame::SaveState(String state) {
  // Unit by unit, surrogates included: that is what the text reader decodes.
  std::string bytes = state.ToUtf8Units();
  FILE* stream = fopen(kStateTemp, "wb");
  if (!stream) return -1;
  bool ok = bytes.empty() || fwrite(bytes.data(), 1, bytes.size(), stream) == bytes.size();
  ok = ok && fflush(stream) == 0 && fsync(fileno(stream)) == 0;
  ok = fclose(stream) == 0 && ok;
  if (!ok || rename(kStateTemp, kStateFile) != 0) {
    remove(kStateTemp);
    return -2;
  }
  return 0;
}

String kx_data_FixDataPath(String path) {
  int scheme = path.Find(":/");
  if (scheme != -1 && path.Find("/") == scheme + 1) return path;
  if (path.StartsWith("./") || path.StartsWith("/")) return path;
  return String("vantor://data/") + path;
}
