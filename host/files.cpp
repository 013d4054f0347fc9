// Files: the program's path scheme, opening files, whole-file readers and the state file.
// Paths stay relative to the working directory; files are opened by the path's UTF-8 bytes.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "host/data.h"
#include "host/game.h"
#include "host/platform/platform.h"

namespace {

// The state file, in the platform's folder for it; the new state is written to ".tmp" first, so
// a failed write never touches the stored state; two games in one folder would overwrite each
// other's saves: the first holds ".lock".
std::string StatePath(const char* suffix = "") {
  return std::string(kx_platform_StateFolder()) + "/.vantorstate" + suffix;
}

// Whether the stream is a file too large for the int length the callers take; such a file is
// refused before a byte of it is read.
bool TooLarge(FILE* stream) {
  struct stat st;
  return fstat(fileno(stream), &st) == 0 && st.st_size > INT_MAX;
}

// The whole stream in one malloc'ed block (never of size 0, so null always means failure), or
// null when memory runs out or the stream holds more than INT_MAX bytes.
unsigned char* ReadAll(FILE* stream, int* length) {
  if (TooLarge(stream)) return nullptr;
  const size_t limit = static_cast<size_t>(INT_MAX) + 1;
  size_t capacity = 4096, used = 0;
  unsigned char* data = static_cast<unsigned char*>(malloc(capacity));
  while (data) {
    used += fread(data + used, 1, capacity - used, stream);
    if (used < capacity) {
      *length = static_cast<int>(used);
      return data;
    }
    // Full: grow, unless it already holds one byte more than an int can count.
    if (capacity == limit) break;
    capacity = std::min(capacity * 2, limit);
    unsigned char* grown = static_cast<unsigned char*>(realloc(data, capacity));
    if (!grown) break;
    data = grown;
  }
  free(data);
  return nullptr;
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
  int length = 0;
  unsigned char* data = ReadAll(stream, &length);
  fclose(stream);
  if (!data) return nullptr;
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

String KxGame::LoadState() { return LoadString(String(StatePath().c_str())); }

// The old state is replaced only once the new one is completely on disk.
// A failed save is said once, not at every save of a run that keeps failing; a save that
// works again makes the next failure worth saying.
static int ReportSave(int result) {
  static bool reported = false;
  if (result != 0 && !reported) {
    std::printf("State not saved: %s\n", std::strerror(errno));
    std::fflush(stdout);
  }
  reported = result != 0;
  return result;
}

// The rename is on the disk only once the folder is: without this a power cut right after a
// save could leave neither the old state nor the new one.
static void SyncFolder() {
  int folder = open(kx_platform_StateFolder(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder < 0) return;
  fsync(folder);
  close(folder);
}

int KxGame::SaveState(String state) {
  // Unit by unit, surrogates included: that is what the text reader decodes.
  std::string bytes = state.ToUtf8Units();
  const std::string file = StatePath(), temp = StatePath(".tmp");
  FILE* stream = fopen(temp.c_str(), "wb");
  if (!stream) return ReportSave(-1);
  bool ok = bytes.empty() || fwrite(bytes.data(), 1, bytes.size(), stream) == bytes.size();
  ok = ok && fflush(stream) == 0 && fsync(fileno(stream)) == 0;
  int error = errno;
  if (fclose(stream) != 0 && ok) ok = false, error = errno;
  if (ok && rename(temp.c_str(), file.c_str()) != 0) ok = false, error = errno;
  if (!ok) {
    remove(temp.c_str());
    errno = error;
    return ReportSave(-2);
  }
  SyncFolder();
  kx_platform_StateStored();
  return ReportSave(0);
}

bool kx_files_LockState() {
  int lock = open(StatePath(".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  // A folder where no lock can be made cannot hold a state either: nothing to protect.
  if (lock < 0) return true;
  // Held until the process ends, however it ends; the descriptor is never closed.
  if (flock(lock, LOCK_EX | LOCK_NB) == 0) return true;
  bool busy = errno == EWOULDBLOCK;
  close(lock);
  return !busy;
}

String kx_data_FixDataPath(String path) {
  int scheme = path.Find(":/");
  if (scheme != -1 && path.Find("/") == scheme + 1) return path;
  if (path.StartsWith("./") || path.StartsWith("/")) return path;
  return String("vantor://data/") + path;
}
