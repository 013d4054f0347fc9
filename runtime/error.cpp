// Logging and the fatal-error path: the report on standard output, the debugger stop on
// standard error and input, the fault signal handler, and the runtime's start-up share.
#include "runtime/error.h"

#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "runtime/gc.h"
#include "runtime/object.h"

int kx_std_argc = 0;
const char** kx_std_argv = nullptr;
const char* dbg_info = nullptr;
int dbg_suspend = 0;
int dbg_stepmode = 0;
int kx_quit_catchers = 0;

namespace {

// Reused for every line so standard error output does not allocate once it has grown.
std::string& ErrorBuffer() {
  static std::string buffer;
  return buffer;
}

// True when `address` is a managed object on one of the collector's live lists.
bool IsLiveObject(const void* address) {
  for (gc_link* list : {&gc_unmarked_list, &gc_queued_list, &gc_marked_list}) {
    for (gc_link* node = list->succ; node != list; node = node->succ) {
      if (static_cast<gc_object*>(node) == address) return true;
    }
  }
  return false;
}

// The "@" command: the debug text of the object at the address, if it is a live one.
void PrintObject(const char* rest) {
  void* address = nullptr;
  if (std::sscanf(rest, "%p", &address) != 1 || !address || !IsLiveObject(address)) {
    dbg_print(String());
    return;
  }
  Object* object = dynamic_cast<Object*>(static_cast<gc_object*>(address));
  dbg_print(object ? object->debug() : String());
}

}  // namespace

void kxPrint(const String& text) {
  std::string out = text.ToUtf8Units();
  out += '\n';
  std::fwrite(out.data(), 1, out.size(), stdout);
  std::fflush(stdout);
}

void kxDebugLog(const String& text) { kxPrint(text); }

void kxError(const String& message) {
  if (message.Length() == 0) {
    if (kx_quit_catchers > 0) throw KxQuit();
    std::exit(0);
  }
  dbg_error(String::CString<char>(message));
}

void kxDebugStop() { dbg_stop(); }

void (*kx_std_fatal)(const char* message, bool fromSignal) = nullptr;

namespace {

bool inFaultSignal = false;

void CallFatalHook(const char* message) {
  void (*hook)(const char*, bool) = kx_std_fatal;
  kx_std_fatal = nullptr;
  if (hook) hook(message, inFaultSignal);
}

}  // namespace

void dbg_error(const char* message) {
  CallFatalHook(message);
  for (;;) {
    kxPrint(String("Vantor Runtime Error : ") + String(message));
    kxPrint(dbg_stacktrace());
    dbg_stop();
  }
}

String dbg_stacktrace() {
  if (!dbg_info || !*dbg_info) return String();
  return String(dbg_info) + String("\n");
}

void dbg_print(const String& text) {
  std::string& out = ErrorBuffer();
  out.clear();
  for (int i = 0; i < text.Length(); ++i) out += static_cast<char>(text[i]);
  out += '\n';
  std::fwrite(out.data(), 1, out.size(), stderr);
  std::fflush(stderr);
}

void dbg_stop() {
  std::fprintf(stderr, "{{~~%s~~}}\n", dbg_info ? dbg_info : "");
  dbg_print(String());
  for (;;) {
    char line[256];
    if (!std::fgets(line, sizeof line, stdin)) std::exit(-1);
    char* newline = std::strchr(line, '\n');
    if (!newline) std::exit(-1);
    *newline = 0;
    switch (line[0]) {
      case '?':
        break;
      case 'r':
        dbg_suspend = 0;
        dbg_stepmode = 0;
        return;
      case 's':
      case 'e':
        dbg_suspend = 1;
        dbg_stepmode = line[0];
        return;
      case 'l':
        dbg_suspend = 0;
        dbg_stepmode = 'l';
        return;
      case '@':
        PrintObject(line + 1);
        break;
      case 'q':
        std::exit(0);
      default:
        std::printf("????? %s ?????", line);
        std::fflush(stdout);
        std::exit(-1);
    }
  }
}

void sighandler(int signal) {
  inFaultSignal = true;
  switch (signal) {
    case SIGFPE:
      dbg_error("Floating point exception");
    case SIGSEGV:
      dbg_error("Memory access violation");
    case SIGILL:
      dbg_error("Illegal instruction");
    default:
      dbg_error("Unknown signal");
  }
}

void kxDie() {
  CallFatalHook("Uncaught Vantor Exception");
  kxPrint(String("Vantor Runtime Error : Uncaught Vantor Exception"));
  std::exit(-1);
}

void kx_std_startup(int argc, const char** argv) {
  kx_std_argc = argc;
  kx_std_argv = argv;
  std::signal(SIGSEGV, sighandler);
  std::signal(SIGILL, sighandler);
  std::signal(SIGFPE, sighandler);
  if (!std::setlocale(LC_CTYPE, "en_US.UTF-8")) std::setlocale(LC_CTYPE, "");
  gc_init1();
}

[[noreturn]] void kx_array_too_long() { kxError(String("Array length out of range")); }
