// Byte buffers: OxDataBuffer owns a malloc'ed block of raw bytes; c_DataBuffer adds the
// bounds-clipped bulk peeks and pokes, copies between buffers and text in "utf8" and "ascii".
#pragma once

#include "runtime/runtime.h"

class OxThread;

// Most bytes one 16-bit code unit takes in "utf8": a buffer of this many bytes per character
// holds any text.
inline constexpr int OX_DATABUFFER_MAX_UTF8_BYTES = 3;

// Runtime error texts of this module.
inline constexpr const char* OX_DATABUFFER_ALLOC_FAILED = "Allocate DataBuffer failed";
inline constexpr const char* OX_DATABUFFER_BAD_ENCODING = "Invalid string encoding:";  // + the encoding

// Reads a whole file into a new malloc'ed block (owned by the caller), stores its size in *length
// and reports the bytes to the collector; null when the file cannot be read. The game installs the
// host's data-path loader here at start-up; until then plain file paths are read directly.
typedef unsigned char* (*OxDataLoader)(const String& path, int* length);
extern OxDataLoader ox_databuffer_loader;
unsigned char* ox_databuffer_LoadFile(const String& path, int* length);

class OxDataBuffer : public Object {
 public:
  // The byte block (owned), or null when the buffer holds nothing. Addresses run 0.._length-1.
  unsigned char* _data = nullptr;
  int _length = 0;

  OxDataBuffer() {}
  ~OxDataBuffer() override;

  // Takes `data` as the block, or allocates `length` bytes; false when the buffer already holds one.
  bool _New(int length, unsigned char* data = nullptr);
  // The whole file as the block; false when the buffer already holds one or the file is unreadable.
  bool _Load(const String& path);
  // _Load meant for a worker thread: works on a private copy of the path and hands this buffer to
  // the thread's result when the load succeeded.
  bool _LoadAsync(const String& path, OxThread* thread);
  void Discard();
  int Length() const { return _length; }
};

class c_DataBuffer : public OxDataBuffer {
 public:
  c_DataBuffer() {}
  c_DataBuffer* m_new(int length);
  c_DataBuffer* m_new2();
  static c_DataBuffer* m_Load(const String& path);

  // Bulk byte access; counts are clipped to the buffer and to the array, never extended, and an
  // address or offset outside its range transfers nothing. Bytes read back are signed (-128..127).
  int p_PokeBytes(int address, const Array<int>& bytes, int offset, int count);
  int p_PeekBytes(int address, const Array<int>& bytes, int offset, int count);
  Array<int> p_PeekBytes2(int address, int count);
  // Copies correctly when source and destination overlap within one buffer.
  int p_CopyBytes(int address, c_DataBuffer* dst, int dstAddress, int count);

  // Encodes text at address (clipped to the buffer); returns the full encoded byte count.
  int p_PokeString(int address, const String& text, const String& encoding);
  // Decodes count bytes (clipped) from address; invalid "utf8" falls back to one code unit per
  // signed byte.
  String p_PeekString(int address, int count, const String& encoding);
  String p_PeekString2(int address, const String& encoding);
};
