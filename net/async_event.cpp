// The asynchronous event pump and its source list, both collector roots, so that a registered
// source and everything its queued work references stay alive.
#include "net/async_event.h"

c_Stack3<c_IAsyncEventSource>* ox_asyncevent__sources = nullptr;
c_IAsyncEventSource* ox_asyncevent__current = nullptr;

static void ox_asyncevent__markRoots() {
  gc_mark_q(ox_asyncevent__sources);
  gc_mark_q(ox_asyncevent__current);
}

static const bool ox_asyncevent__rootsRegistered =
    (gc_register_roots(GC_ROOTS_NET, ox_asyncevent__markRoots), true);

int ox_asyncevent_AddAsyncEventSource(c_IAsyncEventSource* source) {
  if (!source) return 0;  // a null source could never be updated
  if (!ox_asyncevent__sources) gc_assign(ox_asyncevent__sources, (new c_Stack3<c_IAsyncEventSource>)->m_new());
  if (ox_asyncevent__sources->p_Contains2(source)) oxError(String(OX_ASYNCEVENT_ALREADY_ACTIVE));
  ox_asyncevent__sources->p_Push7(source);
  return 0;
}

int ox_asyncevent_UpdateAsyncEvents() {
  if (ox_asyncevent__current || !ox_asyncevent__sources) return 0;
  (void)ox_asyncevent__rootsRegistered;
  int i = 0;
  while (i < ox_asyncevent__sources->p_Length2()) {
    gc_assign(ox_asyncevent__current, ox_asyncevent__sources->p_Get(i));
    ox_asyncevent__current->p_UpdateAsyncEvents();
    // A source that clears the current entry has its slot visited again.
    if (ox_asyncevent__current) ++i;
  }
  ox_asyncevent__current = nullptr;
  return 0;
}
