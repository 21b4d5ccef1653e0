// Fuzzing entries of the text decoders: whole files read as text (the state file's reader) and the
// data buffers' "utf8" and "ascii" peeks and pokes.
#include <algorithm>

#include "fuzz/harness/harness.h"
#include "host/host_game.h"
#include "net/data_buffer.h"

namespace {

// The byte-order marks a text file may start with.
constexpr uint8_t kUtf16BeMark[] = {0xFE, 0xFF};
constexpr uint8_t kUtf16LeMark[] = {0xFF, 0xFE};
constexpr Char kByteOrderMark = 0xFEFF;
// Bytes at the front of a peek input that choose the address and the count.
constexpr size_t kPeekHeader = 2;
// A count byte of this value peeks to the end of the buffer (p_PeekString2).
constexpr uint8_t kPeekToEnd = 0xFF;

const String kUtf8("utf8");
const String kAscii("ascii");

bool same(const String& a, const String& b) { return a == b; }

bool starts_with(const uint8_t* data, size_t size, const uint8_t (&mark)[2]) {
  return size >= 2 && data[0] == mark[0] && data[1] == mark[1];
}

// Any text, once written as the state file writes it, reads back the same (a leading U+FEFF
// excepted: it reads as a byte-order mark).
const char* round_trip(const String& text) {
  if (text.Length() > 0 && text[0] == kByteOrderMark) return nullptr;
  std::string bytes = text.ToUtf8();
  String back = String::Load(reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<int>(bytes.size()));
  return same(back, text) ? nullptr : "text written as UTF-8 does not read back the same";
}

// A text of one code unit per two input bytes (little-endian), any value included.
String units_of(const uint8_t* data, size_t size) {
  std::u16string units;
  for (size_t i = 0; i + 1 < size; i += 2) units.push_back(static_cast<Char>(data[i] | data[i + 1] << 8));
  return String(units.data(), static_cast<int>(units.size()));
}

}  // namespace

const char* qr_fuzz_string_load(const uint8_t* data, size_t size) {
  OxGlfwGame* host = qr_fuzz_host();
  std::string path = qr_fuzz_write("in.txt", data, size);
  String text = host->LoadString(String(path.c_str()));
  const char* fault = nullptr;
  if (starts_with(data, size, kUtf16BeMark) || starts_with(data, size, kUtf16LeMark)) {
    if (static_cast<size_t>(text.Length()) != (size - 2) / 2) fault = "UTF-16 text of the wrong length";
  } else if (static_cast<size_t>(text.Length()) > size) {
    fault = "more characters than bytes";
  }
  if (!fault) fault = round_trip(text);
  qr_fuzz_collect();
  return fault;
}

const char* qr_fuzz_peek_string(const uint8_t* data, size_t size) {
  qr_fuzz_host();
  if (size < kPeekHeader) return nullptr;
  const int n = static_cast<int>(size - kPeekHeader);
  c_DataBuffer* buffer = (new c_DataBuffer)->m_new(n);
  for (int i = 0; i < n; ++i) buffer->_data[i] = data[kPeekHeader + i];
  // Addresses stay inside the buffer (the callers' rule); counts may run past its end.
  const int address = data[0] % (n + 1);
  const int count = data[1];
  String ascii = data[1] == kPeekToEnd ? buffer->p_PeekString2(address, kAscii)
                                       : buffer->p_PeekString(address, count, kAscii);
  String utf8 = data[1] == kPeekToEnd ? buffer->p_PeekString2(address, kUtf8)
                                      : buffer->p_PeekString(address, count, kUtf8);
  const int clipped = data[1] == kPeekToEnd ? n - address : std::min(count, n - address);

  const char* fault = nullptr;
  if (ascii.Length() != clipped) fault = "an ascii peek of the wrong length";
  for (int i = 0; !fault && i < clipped; ++i) {
    if (ascii[i] != buffer->_data[address + i]) fault = "an ascii peek changed a byte";
  }
  if (!fault && utf8.Length() > clipped) fault = "a utf8 peek gave more characters than bytes";

  // Whatever a peek decoded, and any text at all, pokes and peeks back unchanged in "utf8".
  for (const String& text : {utf8, units_of(data, size)}) {
    if (fault) break;
    c_DataBuffer* out = (new c_DataBuffer)->m_new(text.Length() * OX_DATABUFFER_MAX_UTF8_BYTES);
    const int written = out->p_PokeString(0, text, kUtf8);
    if (written > out->Length()) {
      fault = "utf8 text took more than three bytes a character";
    } else if (!same(out->p_PeekString(0, written, kUtf8), text)) {
      fault = "text poked as utf8 peeks back different";
    }
  }
  qr_fuzz_collect();
  return fault;
}
