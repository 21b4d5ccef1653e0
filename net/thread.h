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
  // Set by the work; read only after the thread has finished. A plain store: the worker never
  // runs the write barrier, so the main thread must keep the result reachable itself.
  Object* _result = nullptr;

  OxThread() {}
  // Starts the work on a new detached thread unless it is running already.
  virtual void Start();
  virtual bool IsRunning();
  virtual Object* Result();
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
};

class c_Thread : public OxThread {
 public:
  c_Thread() {}
  c_Thread* m_new() { return this; }
};
