// Thin IPv4 sockets over the operating system: OxSocket (stream, server or datagram handle) and
// OxSocketAddress. Every socket system call of the program lives in os_socket.cpp.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "runtime/runtime.h"

class OxDataBuffer;

// Protocol numbers of OxSocket and c_Socket.
enum : int {
  OX_SOCKET_STREAM = 1,    // TCP client
  OX_SOCKET_SERVER = 2,    // TCP listener
  OX_SOCKET_DATAGRAM = 3,  // UDP
};

// An IPv4 address and port. The text form (_host, _port) is rebuilt by Validate() whenever the
// binary form changed (_valid false).
class OxSocketAddress : public Object {
 public:
  std::uint32_t _addr = 0;  // network byte order; 0 is "any"
  std::uint16_t _portN = 0; // network byte order
  bool _valid = false;
  String _host;             // dotted quad
  int _port = 0;            // host byte order

  OxSocketAddress();
  // Resolves host (empty: any address) and stores it with port.
  void Set(const String& host, int port);
  void Validate();
  String Host();
  int Port();
};

class OxSocket : public Object {
 public:
  int _sock = -1;      // the handle, -1 when closed
  int _proto = 0;      // OX_SOCKET_STREAM, OX_SOCKET_SERVER or OX_SOCKET_DATAGRAM
  int _accepted = -1;  // handle returned by the last Accept
  // Set by Shutdown: a connect that has not started by then never starts. The lock is held only
  // across the check and the start of a connect (which does not wait), never while it waits.
  std::atomic<bool> _shut{false};
  std::mutex _connectLock;

  OxSocket();
  ~OxSocket() override;                          // releases the connection of a garbage socket

  bool Open(int protocol);
  void Close();
  // Ends both directions at once, waking a worker blocked in a call on this socket, and fails a
  // connect still resolving its name or under way; the handle stays valid until Close().
  void Shutdown();
  bool Bind(const String& host, int port);
  bool Connect(const String& host, int port);
  // Connect with a host name already narrowed to 8 bits; safe on a worker thread. After a
  // Shutdown it fails without opening a connection.
  bool ConnectHost(const std::string& host, int port);
  bool Listen(int backlog);
  bool Accept();
  OxSocket* Accepted();
  // One send / recv on the buffer's bytes from offset (clipped to the buffer): the bytes moved,
  // 0 at the end of a stream, -1 on error. Safe on a worker thread.
  int Send(OxDataBuffer* buffer, int offset, int count);
  int Receive(OxDataBuffer* buffer, int offset, int count);
  int SendTo(OxDataBuffer* buffer, int offset, int count, OxSocketAddress* address);
  int ReceiveFrom(OxDataBuffer* buffer, int offset, int count, OxSocketAddress* address);
  bool GetLocalAddress(OxSocketAddress* address);
  bool GetRemoteAddress(OxSocketAddress* address);
};

// The 8-bit form of a host name as the resolver takes it (the low byte of each code unit).
std::string ox_socket_HostBytes(const String& host);
// Resolves host to an IPv4 address in network order with the thread-safe resolver. Names under
// the reserved "invalid" domain never resolve and are answered without a lookup. False (and
// address 0) when the name does not resolve.
bool ox_socket_Resolve(const std::string& host, std::uint32_t* address);
// The resolver the sockets use (ox_socket_Resolve unless replaced): a test puts in one that takes
// its time or answers for names of its own. Null restores ox_socket_Resolve.
using OxResolver = bool (*)(const std::string& host, std::uint32_t* address);
void ox_socket_SetResolver(OxResolver resolver);
