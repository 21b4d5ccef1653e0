// A minimal asynchronous HTTP/1.0 client: c_HttpRequest sends one request over a c_Socket stream
// and reads the status line and the body until the server closes; the callback runs on the main thread.
#pragma once

#include "net/socket.h"
#include "runtime/containers.h"
#include "net/url.h"

// Bytes of the request's header block: request line, headers and the empty line must fit.
inline constexpr int OX_HTTP_HEADER_BYTES = 4096;
// Bytes of the receive buffer; one response header line must fit in it.
inline constexpr int OX_HTTP_RECEIVE_BYTES = 16384;
// Status of a request that has no valid status line (failed, refused, cut short or malformed).
inline constexpr int OX_HTTP_NO_STATUS = -1;
// Most response bytes (header lines and body together) a request reads: a server that sends more,
// or never ends its header lines, ends the request with no status and no text instead of filling
// memory. Far above anything the check-in is answered with.
inline constexpr int OX_HTTP_MAX_RESPONSE_BYTES = 16 * 1024 * 1024;

class c_HttpRequest;

class c_IOnHttpRequestComplete : public virtual gc_interface {
 public:
  // Called once per sent request, on the main thread, when it has ended, successfully or not.
  virtual int p_OnHttpRequestComplete(c_HttpRequest* request) = 0;
};

class c_HttpRequest : public Object,
                      public virtual c_IOnConnectComplete,
                      public virtual c_IOnSendComplete,
                      public virtual c_IOnReceiveComplete {
 public:
  String m__method;
  c_Url* m__urlObj = nullptr;
  c_IOnHttpRequestComplete* m__onComplete = nullptr;
  c_DataBuffer* m__data = nullptr;  // request body bytes
  int m__dataLength = 0;            // body bytes still to send
  int m__status = OX_HTTP_NO_STATUS;
  c_StringStack* m__bodyPieces = nullptr;  // null until the response's header block has ended
  String m__responseText;
  c_StringStack* m__header = nullptr;  // the request's lines, later the response's header lines
  c_Socket* m__socket = nullptr;
  c_DataBuffer* m__wbuf = nullptr;  // request header bytes
  c_DataBuffer* m__rbuf = nullptr;  // receive buffer
  int m__received = 0;              // response bytes read so far

  c_HttpRequest();
  c_HttpRequest* m_new();
  c_HttpRequest* m_new2(const String& method, const String& url, c_IOnHttpRequestComplete* onComplete);
  int p_Open(const String& method, const String& url, c_IOnHttpRequestComplete* onComplete);
  int p_Send();
  // Sends data as the body, encoded "utf8" or "ascii", with Content-Type (when mimeType is not
  // empty) and Content-Length headers.
  int p_Send2(const String& data, const String& mimeType, const String& encoding);
  int p_Status() { return m__status; }
  String p_ResponseText() { return m__responseText; }

  int p_OnConnectComplete(bool connected, c_Socket* source) override;
  int p_OnSendComplete(c_DataBuffer* data, int offset, int count, c_Socket* source) override;
  int p_OnReceiveComplete(c_DataBuffer* data, int offset, int count, c_Socket* source) override;
  // Closes the connection, joins the body and calls back.
  int p_Finish();
  void mark() override;

 private:
  // The request lines joined with CR LF and ended by an empty line.
  String HeaderBlock();
  // Whether the request can go out as given: it fits the header buffer, and no character of its
  // lines would become a CR or LF byte (which would end a line early and let a URL add headers).
  bool CanSend();
  int ReceiveHeader(c_DataBuffer* buffer, int offset, int count);
};
