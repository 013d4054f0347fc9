// The start-up ping: one GET to the statistics endpoint carrying the game number, noting only
// whether a non-empty answer came back. Switched off unless kx_Skarblit_J_On_Allow is 1.
#include "game/shell/globals.h"
#include "game/shell/myapp.h"

void c_MyApp::p_GetURL(String url, String query) {
  m_urlResponse = String("N/A");
  gc_assign(m_urlRequest, (new c_HttpRequest)->m_new2(String("GET"), url + String("?") + query, this));
  m_urlRequest->p_Send();
  kxPrint(String("Requesting URL"));
  m_urlDone = 0;
}

void c_MyApp::p_OnHttpRequestComplete(c_HttpRequest* request) {
  if (request != m_urlRequest) return;
  kxPrint(String("Http GET complete! ") + String(request->p_Status()));
  m_urlDone = 1;
  m_urlResponse = request->p_ResponseText();
  if (m_urlResponse.Length() > 0) kx_Skarblit_J_On_Able = 1;
}
