// Helper program for the runtime-error tests of the network layer: runs the misuse named by its
// argument, which must end the process with a runtime error.
#include <cstring>

#include "net/net.h"
#include "support/net_test_util.h"

namespace {

void Ready() { oxPrint(String(qrtest::kBeforeFailing)); }

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const char* what = argv[1];
  if (!std::strcmp(what, "poke-encoding")) {
    c_DataBuffer* b = (new c_DataBuffer)->m_new(4);
    b->p_PokeString(0, String("x"), String("utf8"));
    Ready();
    b->p_PokeString(0, String("x"), String("UTF8"));
  } else if (!std::strcmp(what, "peek-encoding")) {
    c_DataBuffer* b = (new c_DataBuffer)->m_new(4);
    b->p_PeekString(0, 1, String("ascii"));
    Ready();
    b->p_PeekString(0, 1, String("latin1"));
  } else if (!std::strcmp(what, "alloc-twice")) {
    c_DataBuffer* b = (new c_DataBuffer)->m_new(4);
    Ready();
    b->m_new(4);
  } else if (!std::strcmp(what, "illegal-protocol")) {
    (new c_Socket)->m_new(String("datagram"));
    Ready();
    (new c_Socket)->m_new(String("tcp"));
  } else if (!std::strcmp(what, "queue-overflow")) {
    // Connects to no host fail at once without any lookup; nothing is delivered (no pump), so
    // every one stays outstanding.
    c_Socket* s = (new c_Socket)->m_new(String("stream"));
    for (int i = 1; i < OX_ASYNCQUEUE_SIZE; ++i) s->p_ConnectAsync(String(), 0, nullptr);
    Ready();
    s->p_ConnectAsync(String(), 0, nullptr);
  } else if (!std::strcmp(what, "duplicate-source")) {
    c_Socket* s = (new c_Socket)->m_new(String("stream"));  // registers itself
    Ready();
    ox_asyncevent_AddAsyncEventSource(s);
  } else {
    return 2;
  }
  return 0;  // the misuse did not end the process
}
