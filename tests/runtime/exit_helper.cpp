// tests/runtime/exit_helper.cpp: a small program that the exit tests run as a real subprocess. It
// runs the runtime's start-up, then does what argv[1] says: raise a runtime error or a signal, print.
#include <csignal>
#include <cstdio>
#include <cstdint>
#include <cstring>

#include "runtime/runtime.h"

// The helper's exits are what is tested: the leak checker must not add its own report at exit.
extern "C" const char* __asan_default_options() { return "detect_leaks=0"; }

static volatile int zero = 0;

int main(int argc, char** argv) {
  ox_runtime_start(argc, argv);
  const char* mode = argc > 1 ? argv[1] : "";
  const char* arg = argc > 2 ? argv[2] : "";
  if (!std::strcmp(mode, "error")) oxError(String(arg));
  if (!std::strcmp(mode, "raise")) {
    int sig = !std::strcmp(arg, "segv") ? SIGSEGV : !std::strcmp(arg, "ill") ? SIGILL : SIGFPE;
    std::raise(sig);
  }
  if (!std::strcmp(mode, "fault")) {  // a real invalid memory access
    volatile int* bad = reinterpret_cast<volatile int*>(static_cast<std::uintptr_t>(16) + zero);
    *bad = 1;
  }
  if (!std::strcmp(mode, "sighandler")) sighandler(SIGUSR1);
  if (!std::strcmp(mode, "print")) {
    oxPrint(String(u"\u00E9"));
    oxDebugLog(String(u"\u20AC"));
    return 0;
  }
  if (!std::strcmp(mode, "object")) {  // prints an object's address, then stops in the debugger
    Object* obj = new Object;
    gc_assign(*new Object*(nullptr), obj);
    oxPrint(dbg_ptr_value(obj));
    oxError(String("stop"));
  }
  if (!std::strcmp(mode, "list-error")) {
    gc_object head(gc_static, &head);
    head.pred = nullptr;
    gc_validate_list(&head, "checking");
  }
  return 3;
}
