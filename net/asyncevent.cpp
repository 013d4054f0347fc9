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

void kx_asyncevent_UpdateAsyncEvents() {
  if (kx_asyncevent__current) return;
  // Sources registered by a completion are updated in the same pass.
  for (int i = 0; i < kx_asyncevent__sources->p_Length2(); ++i) {
    gc_assign(kx_asyncevent__current, kx_asyncevent__sources->p_Get(i));
    kx_asyncevent__current->p_UpdateAsyncEvents();
  }
  gc_assign(kx_asyncevent__current, nullptr);
}
