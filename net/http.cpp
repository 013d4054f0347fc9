// The HTTP/1.0 exchange, driven entirely by socket completions on the main thread: connect, send
// the head (and the body in a second send), read head lines up to the blank line, then collect
// the body until the server closes the connection.
#include "net/http.h"

c_HttpRequest* c_HttpRequest::m_new() {
  gc_assign(m_wbuf, (new c_DataBuffer)->m_new(kHeadBytes));
  gc_assign(m_rbuf, (new c_DataBuffer)->m_new(kReceiveBytes));
  return this;
}

c_HttpRequest* c_HttpRequest::m_new2(const String& req, const String& url,
                                     c_IOnHttpRequestComplete* listener) {
  m_new();
  p_Open(req, url, listener);
  return this;
}

void c_HttpRequest::p_Open(const String& req, const String& url, c_IOnHttpRequestComplete* listener) {
  m_req = req;
  gc_assign(m_url, (new c_Url)->m_new(url, String("http"), 80));
  gc_assign(m_listener, listener);
  gc_assign(m_body, nullptr);
  m_bodyLength = 0;
  m_status = -1;
  gc_assign(m_response, nullptr);
  m_responseText = String();
  m_bytesReceived = 0;
  gc_assign(m_lines, (new c_StringStack)->m_new());
  m_lines->p_Push(req + String(" ") + m_url->p_FullPath() + String(" HTTP/1.0"));
  m_lines->p_Push(String("Host: ") + m_url->p_Domain());
}

void c_HttpRequest::p_Send() {
  gc_assign(m_socket, (new c_Socket)->m_new(String("stream")));
  m_socket->p_ConnectAsync(m_url->p_Domain(), m_url->p_Port(), this);
}

void c_HttpRequest::p_Send2(const String& data, const String& mimeType, const String& encoding) {
  gc_assign(m_body, (new c_DataBuffer)->m_new(data.Length() * 3));
  m_bodyLength = m_body->p_PokeString(0, data, encoding);
  if (mimeType.Length() > 0) m_lines->p_Push(String("Content-Type: ") + mimeType);
  m_lines->p_Push(String("Content-Length: ") + String(m_bodyLength));
  p_Send();
}

void c_HttpRequest::p_OnConnectComplete(bool connected, c_Socket* source) {
  if (source != m_socket) return;
  if (!connected) {
    Finish();
    return;
  }
  m_lines->p_Push(String());
  m_lines->p_Push(String());
  int length = m_wbuf->p_PokeString(0, m_lines->p_Join(String("\r\n")), String("ascii"));
  m_lines->p_Clear();
  if (length > kHeadBytes) length = kHeadBytes;
  if (m_socket->p_IsConnected()) m_socket->p_SendAsync(m_wbuf, 0, length, this);
  ReceiveNext(0);
}

void c_HttpRequest::p_OnSendComplete(c_DataBuffer*, int, int, c_Socket* source) {
  if (source != m_socket || m_bodyLength == 0) return;
  if (m_socket->p_IsConnected()) m_socket->p_SendAsync(m_body, 0, m_bodyLength, this);
  m_bodyLength = 0;
}

void c_HttpRequest::p_OnReceiveComplete(c_DataBuffer*, int offset, int count, c_Socket* source) {
  if (source != m_socket) return;
  if (count <= 0) {
    Finish();
  } else if (!m_response) {
    ReceiveHead(offset, count);
  } else {
    ReceiveBody(offset, count);
  }
}

void c_HttpRequest::ReceiveHead(int offset, int count) {
  const int end = offset + count;
  int start = 0;
  for (int i = offset; i < end; ++i) {
    if (m_rbuf->m_bytes[i] != '\n') continue;
    String line = m_rbuf->p_PeekString(start, i - start, String("ascii")).Trim();
    start = i + 1;
    if (line.Length() > 0) {
      m_lines->p_Push(line);
      continue;
    }
    if (!AcceptStatusLine()) {
      Finish();
      return;
    }
    gc_assign(m_response, (new c_StringStack)->m_new());
    if (start < end) ReceiveBody(start, end - start);
    else ReceiveNext(0);
    return;
  }
  // The chunk ended inside a line: keep its start and receive the rest behind it.
  int tail = end - start;
  if (start > 0) m_rbuf->p_CopyBytes(start, m_rbuf, 0, tail);
  ReceiveNext(tail);
}

bool c_HttpRequest::AcceptStatusLine() {
  if (m_lines->p_Length2() == 0) return false;
  Array<String> parts = m_lines->p_Get(0).ToUpper().Split(String(" "));
  if (parts.Length() < 3 || !parts[0].StartsWith(String("HTTP/"))) return false;
  m_status = parts[1].ToInt();
  return true;
}

void c_HttpRequest::ReceiveBody(int offset, int count) {
  m_bytesReceived += count;
  m_response->p_Push(m_rbuf->p_PeekString(offset, count, String("utf8")));
  ReceiveNext(0);
}

void c_HttpRequest::ReceiveNext(int offset) {
  if (m_socket->p_IsConnected()) m_socket->p_ReceiveAsync(m_rbuf, offset, kReceiveBytes - offset, this);
}

void c_HttpRequest::Finish() {
  m_socket->p_Close();
  if (m_response) m_responseText = m_response->p_Join(String());
  if (m_listener) m_listener->p_OnHttpRequestComplete(this);
}

void c_HttpRequest::mark() {
  gc_mark_q(m_url);
  gc_mark_q(m_listener);
  gc_mark_q(m_body);
  gc_mark_q(m_response);
  gc_mark_q(m_lines);
  gc_mark_q(m_socket);
  gc_mark_q(m_wbuf);
  gc_mark_q(m_rbuf);
}
