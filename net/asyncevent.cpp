// The list of asynchronous event sources and the per-update dispatch over it.
#include "net/asyncevent.h"

c_Stack3* kx_asyncevent__sources = nullptr;
c_IAsyncEventSource* kx_asyncevent__current = nullptr;

void kx_asyncevent_Init() {
  gc_assign(kx_asyncevent__sources, (new c_Stack3)->m_new());
  gc_assign(kx_asyncevent__current, nullptr);
  gc_add_root(100, &kx_asyncevent__sources);
  gc_add_root(110, &kx_asyncevent__current);
}

void kx_asyncevent_AddAsyncEventSource(c_IAsyncEventSource* source) {
  if (kx_asyncevent__sources->p_Contains2(source)) {
    kxError(String("Async event source is already active"));
  }
  kx_asyncevent__sources->p_Push7(source);
}

void kx_asyncevent_RemoveAsyncEventSource(c_IAsyncEventSource* source) {
  kx_asyncevent__sources->p_RemoveEach(source);
}

void kx_asyncevent_UpdateAsyncEvents() {
  if (kx_asyncevent__current) return;
  c_Stack3* sources = kx_asyncevent__sources;
  // Sources registered by a completion are updated in the same pass.
  for (int i = 0; i < sources->p_Length2(); ++i) {
    gc_assign(kx_asyncevent__current, sources->p_Get(i));
    kx_asyncevent__current->p_UpdateAsyncEvents();
    // A source that took itself off has let the next one move into its place.
    if (i >= sources->p_Length2() || sources->p_Get(i) != kx_asyncevent__current) --i;
  }
  gc_assign(kx_asyncevent__current, nullptr);
}
