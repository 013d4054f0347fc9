// The URL parser over arbitrary text: the parts are pieces of the input, the host holds no
// separator of a later part, and the path always starts with the slash a request line needs,
// which never carries the fragment.
#include <cstdlib>
#include <string>

#include "net/url.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
  String text = String::FromUtf8(std::string(reinterpret_cast<const char*>(data), size));
  c_Url* url = (new c_Url)->m_new(text, String("http"), 80);
  int parts = url->m_username.Length() + url->m_password.Length() + url->m_domain.Length() +
              url->m_query.Length() + url->m_fragment.Length();
  if (parts > text.Length() || url->m_path.Length() > text.Length() + 1) std::abort();
  if (!url->m_path.StartsWith(String("/")) || url->p_FullPath().Contains(String("#"))) std::abort();
  for (const char* separator : {"/", "?", "#"}) {
    if (url->m_domain.Contains(String(separator))) std::abort();
  }
  gc_step(nullptr);
  return 0;
}
