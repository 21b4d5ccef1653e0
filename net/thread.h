// Worker threads: OxThread runs its Run__UNSAFE__ on a detached operating-system thread and
// publishes its state; c_Thread is the language class over it.
#pragma once

#include <atomic>

#include "runtime/runtime.h"

// Printed on standard output when no thread can be created; the process then exits with -1.
inline constexpr const char* OX_THREAD_CREATE_FAILED = "CreateThread failed!";

class OxThread : public Object {
 public:
  enum : int { kNotStarted = 0, kRunning = 1, kFinished = 2 };

  // Written by the worker when its work ends (release), read by the main thread (acquire).
  std::atomic<int> _state{kNotStarted};
  // The result, stored through the write barrier and marked with the thread object, so a result
  // held only here lives as long as the thread object does.
  Object* _result = nullptr;
  // A result handed over by the work on its own thread, which must not run the barrier: the main
  // thread moves it into _result (through the barrier) at its next look at the thread or at the
  // thread's marking, whichever comes first.
  std::atomic<Object*> _handedResult{nullptr};

  OxThread() {}
  // Starts the work on a new detached thread unless it is running already.
  virtual void Start();
  virtual bool IsRunning();
  virtual Object* Result();
  // From the main thread or from the work itself.
  virtual void SetResult(Object* result);
  // The work, on the worker thread: touches no collected allocation, barrier or string count.
  virtual void Run__UNSAFE__() {}

  // A private copy of a string (a new rep), so that a worker never shares a reference count.
  static String Strdup(const String& text);

  // Blocks the calling thread while word holds value, for at most timeoutMs; returns early
  // (possibly spuriously) when another thread wakes the word. No lock is taken.
  static void WaitWhile(std::atomic<int>& word, int value, int timeoutMs);
  // Wakes every thread waiting on word.
  static void Wake(std::atomic<int>& word);

  void mark() override;

 private:
  // Main thread: moves a result the work handed over into _result.
  void TakeHandedResult();
};

class c_Thread : public OxThread {
 public:
  c_Thread() {}
  c_Thread* m_new() { return this; }
};
