// HTTP/1.0 exchange: the request bytes, the response's header lines gathered across receives, the
// status line rules, and the body read until the server closes the connection.
#include "net/http_request.h"

namespace {

const String kHttp("http");
// Port of a URL that names none.
constexpr int kHttpPort = 80;
const String kProtocol(" HTTP/1.0");
const String kSpace(" ");
const String kHostHeader("Host: ");
const String kContentType("Content-Type: ");
const String kContentLength("Content-Length: ");
const String kCrLf("\r\n");
const String kStatusPrefix("HTTP/");
const String kStream("stream");
const String kAscii("ascii");
const String kUtf8("utf8");
// A status line holds at least the protocol word, the code and a reason phrase.
constexpr int kStatusParts = 3;
constexpr unsigned char kLineFeed = 0x0A;
constexpr unsigned char kCarriageReturn = 0x0D;

}  // namespace

c_HttpRequest::c_HttpRequest() {
  gc_assign(m__wbuf, (new c_DataBuffer)->m_new(OX_HTTP_HEADER_BYTES));
  gc_assign(m__rbuf, (new c_DataBuffer)->m_new(OX_HTTP_RECEIVE_BYTES));
}

c_HttpRequest* c_HttpRequest::m_new() { return this; }

c_HttpRequest* c_HttpRequest::m_new2(const String& method, const String& url,
                                     c_IOnHttpRequestComplete* onComplete) {
  p_Open(method, url, onComplete);
  return this;
}

int c_HttpRequest::p_Open(const String& method, const String& url, c_IOnHttpRequestComplete* onComplete) {
  m__method = method;
  gc_assign(m__urlObj, (new c_Url)->m_new(url, kHttp, kHttpPort));
  gc_assign(m__onComplete, onComplete);
  gc_assign(m__data, nullptr);
  m__dataLength = 0;
  m__status = OX_HTTP_NO_STATUS;
  gc_assign(m__bodyPieces, nullptr);
  m__responseText = String();
  m__received = 0;
  gc_assign(m__header, (new c_StringStack)->m_new2());
  m__header->p_Push4(method + kSpace + m__urlObj->p_FullPath() + kProtocol);
  m__header->p_Push4(kHostHeader + m__urlObj->p_Domain());
  return 0;
}

String c_HttpRequest::HeaderBlock() { return m__header->p_Join(kCrLf) + kCrLf + kCrLf; }

bool c_HttpRequest::CanSend() {
  if (HeaderBlock().Length() > m__wbuf->Length()) return false;
  for (int i = 0; i < m__header->p_Length2(); ++i) {
    String line = m__header->p_Get(i);
    for (int j = 0; j < line.Length(); ++j) {
      const unsigned char byte = static_cast<unsigned char>(line[j]);  // what "ascii" sends
      if (byte == kLineFeed || byte == kCarriageReturn) return false;
    }
  }
  return true;
}

int c_HttpRequest::p_Send() {
  gc_assign(m__socket, (new c_Socket)->m_new(kStream));
  if (!CanSend()) {
    // Rather than send a request cut short or with lines the caller did not write, connect to
    // no host at all: that fails at once without a lookup, and the request finishes with no
    // status through the pump like any failed connection.
    m__socket->p_ConnectAsync(String(), m__urlObj->p_Port(), this);
    return 0;
  }
  m__socket->p_ConnectAsync(m__urlObj->p_Domain(), m__urlObj->p_Port(), this);
  return 0;
}

int c_HttpRequest::p_Send2(const String& data, const String& mimeType, const String& encoding) {
  gc_assign(m__data, (new c_DataBuffer)->m_new(data.Length() * OX_DATABUFFER_MAX_UTF8_BYTES));
  m__dataLength = m__data->p_PokeString(0, data, encoding);
  if (mimeType.Length() > 0) m__header->p_Push4(kContentType + mimeType);
  m__header->p_Push4(kContentLength + String(m__dataLength));
  return p_Send();
}

// The callbacks below ignore completions of any socket but the current one: a request reopened and
// sent again (from its own callback, say) still gets the late completions of its old socket.
int c_HttpRequest::p_OnConnectComplete(bool connected, c_Socket* source) {
  if (source != m__socket) return 0;
  if (!connected) return p_Finish();
  String text = HeaderBlock();
  m__wbuf->p_PokeString(0, text, kAscii);
  m__header->p_Clear();
  if (m__socket->p_IsConnected()) m__socket->p_SendAsync(m__wbuf, 0, text.Length(), this);
  if (m__socket->p_IsConnected()) m__socket->p_ReceiveAsync(m__rbuf, 0, OX_HTTP_RECEIVE_BYTES, this);
  return 0;
}

int c_HttpRequest::p_OnSendComplete(c_DataBuffer*, int, int, c_Socket* source) {
  if (source != m__socket) return 0;
  if (m__dataLength != 0) {
    if (m__socket->p_IsConnected()) m__socket->p_SendAsync(m__data, 0, m__dataLength, this);
    m__dataLength = 0;
  }
  return 0;
}

int c_HttpRequest::p_OnReceiveComplete(c_DataBuffer* buffer, int offset, int count, c_Socket* source) {
  if (source != m__socket) return 0;
  // End of stream ends the request; so does a failed receive, whose count is no length.
  if (count <= 0) return p_Finish();
  m__received += count;
  if (m__received > OX_HTTP_MAX_RESPONSE_BYTES) {
    m__status = OX_HTTP_NO_STATUS;
    gc_assign(m__bodyPieces, nullptr);
    return p_Finish();
  }
  if (!m__bodyPieces) return ReceiveHeader(buffer, offset, count);
  m__bodyPieces->p_Push4(buffer->p_PeekString(offset, count, kUtf8));
  if (m__socket->p_IsConnected()) m__socket->p_ReceiveAsync(buffer, 0, OX_HTTP_RECEIVE_BYTES, this);
  return 0;
}

// Bytes [0, offset) of buffer are an unfinished header line from earlier receives; the new bytes
// are [offset, offset + count).
int c_HttpRequest::ReceiveHeader(c_DataBuffer* buffer, int offset, int count) {
  const int end = offset + count;
  int start = 0;
  for (int i = offset; i < end; ++i) {
    if (buffer->_data[i] != kLineFeed) continue;
    String line = buffer->p_PeekString(start, i - start, kAscii).Trim();
    if (line.Length() > 0) {
      m__header->p_Push4(line);
      start = i + 1;
      continue;
    }
    // The empty line: the header block is complete.
    if (m__header->p_Length2() == 0) return p_Finish();
    Array<String> parts = m__header->p_Get(0).ToUpper().Split(kSpace);
    if (parts.Length() < kStatusParts || !parts[0].StartsWith(kStatusPrefix)) return p_Finish();
    m__status = parts[1].ToInt();
    gc_assign(m__bodyPieces, (new c_StringStack)->m_new2());
    if (i + 1 < end) m__bodyPieces->p_Push4(buffer->p_PeekString(i + 1, end - (i + 1), kUtf8));
    if (m__socket->p_IsConnected()) m__socket->p_ReceiveAsync(buffer, 0, OX_HTTP_RECEIVE_BYTES, this);
    return 0;
  }
  const int kept = end - start;
  if (start > 0) buffer->p_CopyBytes(start, buffer, 0, kept);
  if (m__socket->p_IsConnected()) m__socket->p_ReceiveAsync(buffer, kept, OX_HTTP_RECEIVE_BYTES - kept, this);
  return 0;
}

int c_HttpRequest::p_Finish() {
  if (m__socket) m__socket->p_Close();
  if (m__bodyPieces) m__responseText = m__bodyPieces->p_Join(String());
  if (m__onComplete) m__onComplete->p_OnHttpRequestComplete(this);
  return 0;
}

void c_HttpRequest::mark() {
  Object::mark();
  gc_mark_q(m__urlObj);
  gc_mark_q(m__onComplete);
  gc_mark_q(m__data);
  gc_mark_q(m__bodyPieces);
  gc_mark_q(m__header);
  gc_mark_q(m__socket);
  gc_mark_q(m__wbuf);
  gc_mark_q(m__rbuf);
}
