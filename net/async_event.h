// The asynchronous event pump: sources of completed background work register once, and the
// game's update calls the pump, which asks each source to deliver on the main thread.
#pragma once

#include "runtime/containers.h"
#include "runtime/runtime.h"

// Runtime error text of this module.
inline constexpr const char* OX_ASYNCEVENT_ALREADY_ACTIVE = "Async event source is already active";

class c_IAsyncEventSource : public virtual gc_interface {
 public:
  // Delivers the completions that are ready, on the calling (main) thread.
  virtual int p_UpdateAsyncEvents() = 0;
};

// Registered sources in registration order (never removed), and the source being updated now.
// Both are collector roots in the net rank.
extern c_Stack3<c_IAsyncEventSource>* ox_asyncevent__sources;
extern c_IAsyncEventSource* ox_asyncevent__current;

int ox_asyncevent_AddAsyncEventSource(c_IAsyncEventSource* source);
// The pump; returns at once when called from inside a delivery.
int ox_asyncevent_UpdateAsyncEvents();
