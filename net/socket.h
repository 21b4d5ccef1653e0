// The language's asynchronous socket: c_Socket queues connect, send and receive operations on two
// ring queues (c_AsyncQueue), each drained by its own worker thread; completions are delivered
// in queue order on the main thread through the event pump.
#pragma once

#include <atomic>
#include <string>

#include "net/async_event.h"
#include "net/data_buffer.h"
#include "net/os_socket.h"
#include "net/thread.h"

// Runtime error texts of this module.
inline constexpr const char* OX_SOCKET_ILLEGAL_PROTOCOL = "Illegal socket protocol";
inline constexpr const char* OX_SOCKET_OPEN_FAILED = "Socket open failed";
inline constexpr const char* OX_ASYNCQUEUE_OVERFLOW = "AsyncQueue queue overflow!";

// Slots of each ring queue; at most OX_ASYNCQUEUE_SIZE - 1 operations are outstanding per queue.
inline constexpr int OX_ASYNCQUEUE_SIZE = 256;
// How long a worker that has caught up waits for more work before its thread ends: a little over
// a few update frames, so that a receive queued after each delivery finds the worker still there
// instead of paying for a new thread every time.
inline constexpr int OX_ASYNCQUEUE_LINGER_MS = 100;

// Bits of c_Socket::m__state.
enum : int {
  OX_SOCKET_STATE_OPEN = 1,
  OX_SOCKET_STATE_BOUND = 2,
  OX_SOCKET_STATE_CONNECTED = 4,
  OX_SOCKET_STATE_LISTENING = 8,
};

class c_Socket;

// Callbacks of the asynchronous operations, always called on the main thread.
class c_IOnConnectComplete : public virtual gc_interface {
 public:
  virtual int p_OnConnectComplete(bool connected, c_Socket* source) = 0;
};
class c_IOnSendComplete : public virtual gc_interface {
 public:
  virtual int p_OnSendComplete(c_DataBuffer* data, int offset, int count, c_Socket* source) = 0;
};
class c_IOnReceiveComplete : public virtual gc_interface {
 public:
  virtual int p_OnReceiveComplete(c_DataBuffer* data, int offset, int count, c_Socket* source) = 0;
};

// One queued operation: executed on a worker, completed on the main thread. Its result fields
// are written by the worker before the queue publishes the slot as run.
class c_AsyncOp : public Object {
 public:
  c_AsyncOp() {}
  virtual int p_Complete(c_Socket* source) = 0;
  virtual int p_Execute__UNSAFE__(c_Socket* source) = 0;
};

class c_AsyncConnectOp : public c_AsyncOp {
 public:
  OxSocket* m__socket = nullptr;
  String m__host;
  int m__port = 0;
  c_IOnConnectComplete* m__onComplete = nullptr;
  bool m__connected = false;
  // The host name narrowed to bytes on the main thread: the worker never reads m__host.
  std::string _hostBytes;

  c_AsyncConnectOp() {}
  c_AsyncConnectOp* m_new(OxSocket* socket, const String& host, int port, c_IOnConnectComplete* onComplete);
  int p_Complete(c_Socket* source) override;
  int p_Execute__UNSAFE__(c_Socket* source) override;
  void mark() override;
};

class c_AsyncSocketIoOp : public c_AsyncOp {
 public:
  OxSocket* m__socket = nullptr;
  c_DataBuffer* m__data = nullptr;
  int m__offset = 0;
  int m__count = 0;  // bytes asked for; after execution the call's result

  c_AsyncSocketIoOp() {}
  c_AsyncSocketIoOp* m_new(OxSocket* socket, c_DataBuffer* data, int offset, int count);
  void mark() override;
};

class c_AsyncSendOp : public c_AsyncSocketIoOp {
 public:
  c_IOnSendComplete* m__onComplete = nullptr;

  c_AsyncSendOp() {}
  c_AsyncSendOp* m_new(OxSocket* socket, c_DataBuffer* data, int offset, int count, c_IOnSendComplete* onComplete);
  int p_Complete(c_Socket* source) override;
  int p_Execute__UNSAFE__(c_Socket* source) override;
  void mark() override;
};

class c_AsyncReceiveOp : public c_AsyncSocketIoOp {
 public:
  c_IOnReceiveComplete* m__onComplete = nullptr;

  c_AsyncReceiveOp() {}
  c_AsyncReceiveOp* m_new(OxSocket* socket, c_DataBuffer* data, int offset, int count,
                          c_IOnReceiveComplete* onComplete);
  int p_Complete(c_Socket* source) override;
  int p_Execute__UNSAFE__(c_Socket* source) override;
  void mark() override;
};

// A single-producer ring of operations. Slots [m__get, m__run) are executed and await delivery;
// slots [m__run, m__put) await execution. m__put and m__get are written by the main thread only,
// m__run by the worker only; each is published with a release store and read with an acquire
// load, after the slot or the operation's result fields have been written. A worker that has
// caught up sleeps on m__put for a while (m__idleWorker set) and the enqueue wakes it.
class c_AsyncQueue : public c_Thread, public virtual c_IAsyncEventSource {
 public:
  c_Socket* m__source = nullptr;
  Array<c_AsyncOp*> m__queue;
  std::atomic<int> m__put{0};
  int m__get = 0;
  std::atomic<int> m__run{0};
  std::atomic<int> m__idleWorker{0};  // 1 while the worker sleeps waiting for work

  c_AsyncQueue() {}
  c_AsyncQueue* m_new(c_Socket* source);
  // Queues op and makes sure a worker runs; the 256th outstanding operation is a runtime error.
  int p_Enqueue(c_AsyncOp* op);
  // No operation waits for execution (the worker has caught up).
  bool p_Idle();
  void Run__UNSAFE__() override;
  int p_UpdateAsyncEvents() override;
  // Worker side: waits (boundedly) for m__put to move past run; false when none came.
  bool WaitForWork__UNSAFE__(int run);
  void mark() override;
};

class c_Socket : public Object, public virtual c_IAsyncEventSource {
 public:
  OxSocket* m__sock = nullptr;
  int m__proto = 0;
  int m__state = 0;  // OX_SOCKET_STATE_* bits
  c_AsyncQueue* m__rqueue = nullptr;  // connects and receives
  c_AsyncQueue* m__wqueue = nullptr;  // sends
  // Closed while a worker still had an operation on the handle: the connection was shut down at
  // once, and the handle is released once both queues are idle (so that its number cannot be
  // reused under a pending operation).
  bool m__closePending = false;

  c_Socket() {}
  // protocol: "stream", "server" or "datagram".
  c_Socket* m_new(const String& protocol);
  // Wraps an existing handle (an accepted connection).
  c_Socket* m_new2(OxSocket* socket, int protocol, int state);
  int p_Start();
  bool p_IsOpen();
  bool p_IsConnected();
  bool p_IsListening();
  int p_Close();
  // Requests made in the wrong state are ignored and never call back.
  int p_ConnectAsync(const String& host, int port, c_IOnConnectComplete* onComplete);
  int p_SendAsync(c_DataBuffer* data, int offset, int count, c_IOnSendComplete* onComplete);
  int p_ReceiveAsync(c_DataBuffer* data, int offset, int count, c_IOnReceiveComplete* onComplete);
  int p_UpdateAsyncEvents() override;
  void mark() override;
};
