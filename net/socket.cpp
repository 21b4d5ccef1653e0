// The asynchronous socket, its two ring queues with their worker threads, and the connect,
// send and receive operations. Workers only run the blocking calls; callbacks run on the main thread.
#include "net/socket.h"

#include <chrono>

namespace {

const String kStream("stream");
const String kServer("server");
const String kDatagram("datagram");

int Next(int slot) { return (slot + 1) % OX_ASYNCQUEUE_SIZE; }

}  // namespace

// ---- Operations -----------------------------------------------------------------------------------

c_AsyncConnectOp* c_AsyncConnectOp::m_new(OxSocket* socket, const String& host, int port,
                                          c_IOnConnectComplete* onComplete) {
  gc_assign(m__socket, socket);
  m__host = host;
  m__port = port;
  gc_assign(m__onComplete, onComplete);
  _hostBytes = ox_socket_HostBytes(host);
  return this;
}

int c_AsyncConnectOp::p_Execute__UNSAFE__(c_Socket*) {
  m__connected = m__socket->ConnectHost(_hostBytes, m__port);
  return 0;
}

int c_AsyncConnectOp::p_Complete(c_Socket* source) {
  // A socket closed while its connect was under way stays closed, and its connect has failed:
  // the caller must hear so, or it would wait for a connection that is not there.
  if (!(source->m__state & OX_SOCKET_STATE_OPEN)) m__connected = false;
  if (m__connected) source->m__state |= OX_SOCKET_STATE_BOUND | OX_SOCKET_STATE_CONNECTED;
  m__onComplete->p_OnConnectComplete(m__connected, source);
  return 0;
}

void c_AsyncConnectOp::mark() {
  c_AsyncOp::mark();
  gc_mark_q(m__socket);
  gc_mark_q(m__onComplete);
}

c_AsyncSocketIoOp* c_AsyncSocketIoOp::m_new(OxSocket* socket, c_DataBuffer* data, int offset, int count) {
  gc_assign(m__socket, socket);
  gc_assign(m__data, data);
  m__offset = offset;
  m__count = count;
  return this;
}

void c_AsyncSocketIoOp::mark() {
  c_AsyncOp::mark();
  gc_mark_q(m__socket);
  gc_mark_q(m__data);
}

c_AsyncSendOp* c_AsyncSendOp::m_new(OxSocket* socket, c_DataBuffer* data, int offset, int count,
                                    c_IOnSendComplete* onComplete) {
  c_AsyncSocketIoOp::m_new(socket, data, offset, count);
  gc_assign(m__onComplete, onComplete);
  return this;
}

int c_AsyncSendOp::p_Execute__UNSAFE__(c_Socket*) {
  m__count = m__socket->Send(m__data, m__offset, m__count);
  return 0;
}

int c_AsyncSendOp::p_Complete(c_Socket* source) {
  m__onComplete->p_OnSendComplete(m__data, m__offset, m__count, source);
  return 0;
}

void c_AsyncSendOp::mark() {
  c_AsyncSocketIoOp::mark();
  gc_mark_q(m__onComplete);
}

c_AsyncReceiveOp* c_AsyncReceiveOp::m_new(OxSocket* socket, c_DataBuffer* data, int offset, int count,
                                          c_IOnReceiveComplete* onComplete) {
  c_AsyncSocketIoOp::m_new(socket, data, offset, count);
  gc_assign(m__onComplete, onComplete);
  return this;
}

int c_AsyncReceiveOp::p_Execute__UNSAFE__(c_Socket*) {
  m__count = m__socket->Receive(m__data, m__offset, m__count);
  return 0;
}

int c_AsyncReceiveOp::p_Complete(c_Socket* source) {
  m__onComplete->p_OnReceiveComplete(m__data, m__offset, m__count, source);
  return 0;
}

void c_AsyncReceiveOp::mark() {
  c_AsyncSocketIoOp::mark();
  gc_mark_q(m__onComplete);
}

// ---- c_AsyncQueue ---------------------------------------------------------------------------------

c_AsyncQueue* c_AsyncQueue::m_new(c_Socket* source) {
  c_Thread::m_new();
  gc_assign(m__source, source);
  gc_assign(m__queue, Array<c_AsyncOp*>(OX_ASYNCQUEUE_SIZE));
  return this;
}

int c_AsyncQueue::p_Enqueue(c_AsyncOp* op) {
  const int put = m__put.load(std::memory_order_relaxed);
  if (Next(put) == m__get) oxError(String(OX_ASYNCQUEUE_OVERFLOW));
  gc_assign(m__queue[put], op);
  m__put.store(Next(put), std::memory_order_seq_cst);
  // Paired with the worker's store of m__idleWorker and its read of m__put: either it sees the
  // new slot, or this sees it sleeping and wakes it.
  if (m__idleWorker.load(std::memory_order_seq_cst)) OxThread::Wake(m__put);
  Start();
  return 0;
}

bool c_AsyncQueue::p_Idle() {
  return m__run.load(std::memory_order_acquire) == m__put.load(std::memory_order_relaxed);
}

void c_AsyncQueue::Run__UNSAFE__() {
  int run = m__run.load(std::memory_order_relaxed);
  do {
    while (run != m__put.load(std::memory_order_acquire)) {
      m__queue[run]->p_Execute__UNSAFE__(m__source);
      run = Next(run);
      m__run.store(run, std::memory_order_release);
    }
  } while (WaitForWork__UNSAFE__(run));
}

bool c_AsyncQueue::WaitForWork__UNSAFE__(int run) {
  using Clock = std::chrono::steady_clock;
  const auto until = Clock::now() + std::chrono::milliseconds(OX_ASYNCQUEUE_LINGER_MS);
  bool more = false;
  m__idleWorker.store(1, std::memory_order_seq_cst);
  for (;;) {
    if (m__put.load(std::memory_order_seq_cst) != run) {
      more = true;
      break;
    }
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
    if (left <= 0) break;
    OxThread::WaitWhile(m__put, run, static_cast<int>(left));
  }
  m__idleWorker.store(0, std::memory_order_seq_cst);
  return more;
}

int c_AsyncQueue::p_UpdateAsyncEvents() {
  // A worker that ended just before the last enqueue saw no work: start another.
  if (!p_Idle()) Start();
  while (m__get != m__run.load(std::memory_order_acquire)) {
    c_AsyncOp* op = m__queue[m__get];
    m__queue[m__get] = nullptr;  // delivered: the slot no longer keeps the operation alive
    m__get = Next(m__get);
    op->p_Complete(m__source);
  }
  return 0;
}

void c_AsyncQueue::mark() {
  c_Thread::mark();
  gc_mark_q(m__source);
  gc_mark_q(m__queue);
}

// ---- c_Socket -------------------------------------------------------------------------------------

c_Socket* c_Socket::m_new(const String& protocol) {
  int proto = 0;
  if (protocol == kStream) proto = OX_SOCKET_STREAM;
  else if (protocol == kServer) proto = OX_SOCKET_SERVER;
  else if (protocol == kDatagram) proto = OX_SOCKET_DATAGRAM;
  else oxError(String(OX_SOCKET_ILLEGAL_PROTOCOL));
  gc_assign(m__sock, new OxSocket);
  if (!m__sock->Open(proto)) oxError(String(OX_SOCKET_OPEN_FAILED));
  m__proto = proto;
  m__state = OX_SOCKET_STATE_OPEN;
  p_Start();
  return this;
}

c_Socket* c_Socket::m_new2(OxSocket* socket, int protocol, int state) {
  gc_assign(m__sock, socket);
  m__proto = protocol;
  m__state = state;
  p_Start();
  return this;
}

int c_Socket::p_Start() {
  gc_assign(m__rqueue, (new c_AsyncQueue)->m_new(this));
  gc_assign(m__wqueue, (new c_AsyncQueue)->m_new(this));
  ox_asyncevent_AddAsyncEventSource(this);
  return 0;
}

bool c_Socket::p_IsOpen() { return (m__state & OX_SOCKET_STATE_OPEN) != 0; }
bool c_Socket::p_IsConnected() { return (m__state & OX_SOCKET_STATE_CONNECTED) != 0; }
bool c_Socket::p_IsListening() { return (m__state & OX_SOCKET_STATE_LISTENING) != 0; }

int c_Socket::p_Close() {
  if (m__sock && m__sock->_sock >= 0 && !m__closePending) {
    if (m__rqueue->p_Idle() && m__wqueue->p_Idle()) {
      m__sock->Close();
    } else {
      m__sock->Shutdown();
      m__closePending = true;
    }
  }
  m__state = 0;
  return 0;
}

int c_Socket::p_ConnectAsync(const String& host, int port, c_IOnConnectComplete* onComplete) {
  if (!p_IsOpen() || p_IsConnected() || p_IsListening()) return 0;
  m__rqueue->p_Enqueue((new c_AsyncConnectOp)->m_new(m__sock, host, port, onComplete));
  return 0;
}

int c_Socket::p_SendAsync(c_DataBuffer* data, int offset, int count, c_IOnSendComplete* onComplete) {
  if (!p_IsConnected()) return 0;
  m__wqueue->p_Enqueue((new c_AsyncSendOp)->m_new(m__sock, data, offset, count, onComplete));
  return 0;
}

int c_Socket::p_ReceiveAsync(c_DataBuffer* data, int offset, int count, c_IOnReceiveComplete* onComplete) {
  if (!p_IsConnected()) return 0;
  m__rqueue->p_Enqueue((new c_AsyncReceiveOp)->m_new(m__sock, data, offset, count, onComplete));
  return 0;
}

int c_Socket::p_UpdateAsyncEvents() {
  m__rqueue->p_UpdateAsyncEvents();
  m__wqueue->p_UpdateAsyncEvents();
  if (m__closePending && m__rqueue->p_Idle() && m__wqueue->p_Idle()) {
    m__sock->Close();
    m__closePending = false;
  }
  return 0;
}

void c_Socket::mark() {
  Object::mark();
  gc_mark_q(m__sock);
  gc_mark_q(m__rqueue);
  gc_mark_q(m__wqueue);
}
