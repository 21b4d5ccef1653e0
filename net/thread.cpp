// Worker threads: creation of the detached thread, its entry and the published state.
// Threads are never joined; the object must stay reachable while its thread runs.
#include "net/thread.h"

#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <system_error>
#include <thread>

// Process exit status when a thread cannot be created (the shell sees 255).
static constexpr int kThreadFailExit = -1;

// Set on the threads that run work: there a result is handed over instead of stored.
static thread_local bool on_worker = false;

void OxThread::Start() {
  if (_state.load(std::memory_order_acquire) == kRunning) return;
  gc_assign(_result, nullptr);
  _handedResult.store(nullptr, std::memory_order_relaxed);
  _state.store(kRunning, std::memory_order_release);
  try {
    std::thread([this] {
      on_worker = true;
      Run__UNSAFE__();
      _state.store(kFinished, std::memory_order_release);
    }).detach();
  } catch (const std::system_error&) {
    std::fputs(OX_THREAD_CREATE_FAILED, stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
    std::exit(kThreadFailExit);
  }
}

bool OxThread::IsRunning() {
  const bool running = _state.load(std::memory_order_acquire) == kRunning;
  if (!running) TakeHandedResult();
  return running;
}

Object* OxThread::Result() {
  TakeHandedResult();
  return _result;
}

void OxThread::SetResult(Object* result) {
  if (on_worker) {
    _handedResult.store(result, std::memory_order_release);
  } else {
    _handedResult.store(nullptr, std::memory_order_relaxed);
    gc_assign(_result, result);
  }
}

void OxThread::TakeHandedResult() {
  if (Object* handed = _handedResult.exchange(nullptr, std::memory_order_acq_rel)) {
    gc_assign(_result, handed);
  }
}

void OxThread::mark() {
  Object::mark();
  // Runs on the main thread: a result handed over since the last look is taken now.
  TakeHandedResult();
  gc_mark_q(_result);
}

String OxThread::Strdup(const String& text) {
  // A new rep from the characters; the empty string's shared rep never has its count changed.
  return String(text.Data(), text.Length());
}

// The wait is a futex on the word itself: the kernel compares the word with value and sleeps
// only while they are equal, so a change made just before the wait is never missed.
static_assert(sizeof(std::atomic<int>) == sizeof(int), "a futex word is a plain int");

void OxThread::WaitWhile(std::atomic<int>& word, int value, int timeoutMs) {
  timespec limit;
  limit.tv_sec = timeoutMs / 1000;
  limit.tv_nsec = static_cast<long>(timeoutMs % 1000) * 1000000L;
  syscall(SYS_futex, reinterpret_cast<int*>(&word), FUTEX_WAIT_PRIVATE, value, &limit, nullptr, 0);
}

void OxThread::Wake(std::atomic<int>& word) {
  syscall(SYS_futex, reinterpret_cast<int*>(&word), FUTEX_WAKE_PRIVATE, INT_MAX, nullptr, nullptr, 0);
}
