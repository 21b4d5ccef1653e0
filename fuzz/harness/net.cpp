// Fuzzing entries of the check-in's parsers: URLs, and HTTP responses handed to a request's receive
// callback in pieces split at arbitrary points, as a slow or hostile server would deliver them.
#include <algorithm>
#include <cstddef>
#include <vector>

#include "fuzz/harness/harness.h"
#include "net/net.h"

namespace {

const String kDefaultScheme("http");
constexpr int kDefaultPort = 80;
const String kGet("GET");
const String kAnyUrl("http://127.0.0.1/");
constexpr uint8_t kLineFeed = 0x0A;
// Characters no domain can hold: they end the address part or start the port or the path.
const char16_t kNotInDomain[] = u"/:?#";
// Bytes at the front of a response input that seed the receive sizes.
constexpr size_t kSplitSeedBytes = 2;
// Receives of a split delivery are 1 to this many bytes; a whole delivery fills the buffer.
constexpr uint32_t kMaxSplitReceive = 97;

bool has_unit(const String& s, Char c) {
  for (int i = 0; i < s.Length(); ++i) {
    if (s[i] == c) return true;
  }
  return false;
}

// Counts the calls and keeps what the request held at the first.
class Completion : public Object, public virtual c_IOnHttpRequestComplete {
 public:
  int calls = 0;
  int status = 0;
  String text;
  std::vector<String> header;
  int p_OnHttpRequestComplete(c_HttpRequest* request) override {
    if (calls++ == 0) {
      status = request->p_Status();
      text = request->p_ResponseText();
      for (int i = 0; i < request->m__header->p_Length2(); ++i) header.push_back(request->m__header->p_Get(i));
    }
    return 0;
  }
};

struct Outcome {
  const char* fault = nullptr;
  int status = 0;
  String text;
  std::vector<String> header;
};

// Delivers the response as the socket would: each receive lands at the offset the request asked
// for (after the unfinished header line it keeps at the front of its buffer), a receive with no
// room left reads nothing, and the end of the input is the server closing the connection. `next`
// gives each receive's size (0: as much as fits).
template <class Sizes>
Outcome deliver(const uint8_t* data, size_t size, Sizes next) {
  Completion* done = new Completion;
  c_HttpRequest* request = (new c_HttpRequest)->m_new2(kGet, kAnyUrl, done);
  c_Socket* socket = new c_Socket;  // never connected: the request's own sends and receives are no-ops
  gc_assign(request->m__socket, socket);
  request->p_OnConnectComplete(true, socket);

  Outcome out;
  c_DataBuffer* buffer = request->m__rbuf;
  std::vector<uint8_t> kept;  // the unfinished header line the request should have kept
  size_t at = 0;
  while (done->calls == 0) {
    const int offset = request->m__bodyPieces ? 0 : static_cast<int>(kept.size());
    const size_t room = static_cast<size_t>(buffer->Length() - offset);
    size_t want = next();
    if (want == 0 || want > room) want = room;
    const size_t count = std::min(want, size - at);
    for (size_t i = 0; i < count; ++i) buffer->_data[offset + i] = data[at + i];
    const bool header = request->m__bodyPieces == nullptr;
    request->p_OnReceiveComplete(buffer, offset, static_cast<int>(count), socket);
    if (count == 0) break;  // closed (or no room): the request must have finished
    if (header) {
      kept.insert(kept.end(), data + at, data + at + count);
      size_t line = kept.size();
      while (line > 0 && kept[line - 1] != kLineFeed) --line;
      kept.erase(kept.begin(), kept.begin() + static_cast<std::ptrdiff_t>(line));
      if (done->calls == 0 && !request->m__bodyPieces) {
        for (size_t i = 0; i < kept.size(); ++i) {
          if (buffer->_data[i] != kept[i]) {
            out.fault = "the unfinished header line was not kept at the front of the buffer";
            return out;
          }
        }
      }
    }
    at += count;
  }
  if (done->calls != 1) {
    out.fault = "the request did not call back exactly once";
    return out;
  }
  if (request->m__socket->p_IsOpen()) out.fault = "the request ended with its socket open";
  out.status = done->status;
  out.text = done->text;
  out.header = done->header;
  if (!out.fault && out.status != OX_HTTP_NO_STATUS &&
      (out.header.empty() || !out.header[0].ToUpper().StartsWith(String("HTTP/")))) {
    out.fault = "a status was taken from a line that is no status line";
  }
  return out;
}

}  // namespace

const char* qr_fuzz_url(const uint8_t* data, size_t size) {
  qr_fuzz_host();
  // Even first byte: one character per byte (the URLs callers write); odd: 16-bit units.
  std::u16string units;
  if (size > 0 && data[0] % 2 == 0) {
    for (size_t i = 1; i < size; ++i) units.push_back(data[i]);
  } else {
    for (size_t i = 1; i + 1 < size; i += 2) units.push_back(static_cast<Char>(data[i] | data[i + 1] << 8));
  }
  String text(units.data(), static_cast<int>(units.size()));
  c_Url* url = (new c_Url)->m_new(text, kDefaultScheme, kDefaultPort);

  const char* fault = nullptr;
  if (url->m__path.Length() == 0 || url->m__path[0] != u'/') fault = "a path that does not begin with /";
  for (const char16_t* c = kNotInDomain; !fault && *c; ++c) {
    if (has_unit(url->m__domain, *c)) fault = "a domain holding a separator";
  }
  if (!fault && has_unit(url->m__query, u'#')) fault = "a query holding the fragment mark";
  if (!fault && !url->p_FullPath().StartsWith(url->m__path)) fault = "a full path that does not start with the path";
  // The request built on it states the path and the host it will send.
  c_HttpRequest* request = (new c_HttpRequest)->m_new2(kGet, text, nullptr);
  if (!fault && request->m__header->p_Length2() != 2) fault = "a request without its two lines";
  qr_fuzz_collect();
  return fault;
}

const char* qr_fuzz_http_response(const uint8_t* data, size_t size) {
  qr_fuzz_host();
  if (size < kSplitSeedBytes) return nullptr;
  uint32_t state = (data[0] | data[1] << 8) * 2654435761u + 1;
  auto split = [&state] {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return 1 + state % kMaxSplitReceive;
  };
  const uint8_t* response = data + kSplitSeedBytes;
  const size_t length = size - kSplitSeedBytes;
  Outcome pieces = deliver(response, length, split);
  Outcome whole = deliver(response, length, [] { return size_t{0}; });

  const char* fault = pieces.fault ? pieces.fault : whole.fault;
  if (!fault && (pieces.status != whole.status || pieces.header != whole.header)) {
    fault = "a response split differently gave another status or other header lines";
  }
  // Bodies decode each receive on its own, so only plain ASCII bodies must match exactly.
  bool ascii = true;
  for (int i = 0; i < whole.text.Length(); ++i) ascii = ascii && whole.text[i] < 0x80;
  if (!fault && ascii && !(pieces.text == whole.text)) fault = "a body split differently reads differently";
  qr_fuzz_collect();
  return fault;
}
