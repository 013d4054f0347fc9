// Asynchronous event sources: everything with completions waiting for the main thread (the
// sockets) registers here, and the game's update drives them all once per frame.
#pragma once
#include "containers/containers.h"

class c_IAsyncEventSource {
 public:
  virtual ~c_IAsyncEventSource() = default;
  virtual void p_UpdateAsyncEvents() = 0;
};

typedef c_Stack<c_IAsyncEventSource*> c_Stack3;

// Registered sources, in registration order.
extern c_Stack3* kx_asyncevent__sources;
// The source being updated, or null.
extern c_IAsyncEventSource* kx_asyncevent__current;

// The module's share of kxInit: an empty source list, and both globals registered as roots.
void kx_asyncevent_Init();
// Registering a source twice is a fatal error.
void kx_asyncevent_AddAsyncEventSource(c_IAsyncEventSource* source);
// Takes a source off the list, for good; the source being updated may take itself off.
void kx_asyncevent_RemoveAsyncEventSource(c_IAsyncEventSource* source);
// Completes what every source has finished. A call from inside a completion does nothing.
void kx_asyncevent_UpdateAsyncEvents();
