// The HTTP/1.0 exchange, driven entirely by socket completions on the main thread: connect, send
// the head (and the body in a second send), read head lines up to the blank line, then collect
// the body until the server closes the connection.
#include "net/http.h"

c_HttpRequest* c_HttpRequest::m_new() {
  NewBuffers();
  return this;
}

void c_HttpRequest::NewBuffers() {
  gc_assign(m_wbuf, (new c_DataBuffer)->m_new(kHeadBytes));
  gc_assign(m_rbuf, (new c_DataBuffer)->m_new(kReceiveBytes));
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
  if (m_socket) {
    // The old socket's late completions no longer match m_socket and are dropped. Its workers
    // may still be inside a call on the buffers, so those stay theirs and this exchange gets
    // its own.
    m_socket->p_Close();
    if (!m_socket->p_Drained()) NewBuffers();
  }
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
  // A head cut to the buffer would lack its blank line, and the server would wait for it.
  if (length > kHeadBytes) {
    Finish();
    return;
  }
  if (m_socket->p_IsConnected()) m_socket->p_SendAsync(m_wbuf, 0, length, this);
  KeepAndReceive(0, 0);
}

void c_HttpRequest::p_OnSendComplete(c_DataBuffer*, int, int, c_Socket* source) {
  if (source != m_socket || m_bodyLength == 0) return;
  if (m_socket->p_IsConnected()) m_socket->p_SendAsync(m_body, 0, m_bodyLength, this);
  m_bodyLength = 0;
}

void c_HttpRequest::p_OnReceiveComplete(c_DataBuffer*, int offset, int count, c_Socket* source) {
  if (source != m_socket) return;
  if (count <= 0) {
    // Bytes held back as the start of a character that never came are kept as they are.
    if (m_response && offset > 0) m_response->p_Push(m_rbuf->p_PeekString(0, offset, String("utf8")));
    Finish();
  } else if (!m_response) {
    ReceiveHead(offset, count);
  } else {
    ReceiveBody(0, offset + count, count);
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
    ReceiveBody(start, end, end - start);
    return;
  }
  // The chunk ended inside a line.
  KeepAndReceive(start, end);
}

bool c_HttpRequest::AcceptStatusLine() {
  if (m_lines->p_Length2() == 0) return false;
  Array<String> parts = m_lines->p_Get(0).ToUpper().Split(String(" "));
  if (parts.Length() < 3 || !parts[0].StartsWith(String("HTTP/"))) return false;
  m_status = parts[1].ToInt();
  return true;
}

namespace {

// The length of bytes[0, count) without a UTF-8 sequence cut off at its end.
int WholeUtf8Prefix(const unsigned char* bytes, int count) {
  for (int back = 1; back <= 2 && back <= count; ++back) {
    unsigned char b = bytes[count - back];
    if ((b & 0xC0) == 0x80) continue;
    int length = (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : 1;
    return length > back ? count - back : count;
  }
  return count;
}

}  // namespace

void c_HttpRequest::ReceiveBody(int from, int end, int fresh) {
  m_bytesReceived += fresh;
  // A character split between two chunks is decoded once both halves are here.
  int whole = from + WholeUtf8Prefix(m_rbuf->m_bytes + from, end - from);
  if (whole > from) m_response->p_Push(m_rbuf->p_PeekString(from, whole - from, String("utf8")));
  KeepAndReceive(whole, end);
}

void c_HttpRequest::KeepAndReceive(int from, int end) {
  int kept = end - from;
  if (from > 0 && kept > 0) m_rbuf->p_CopyBytes(from, m_rbuf, 0, kept);
  if (m_socket->p_IsConnected()) m_socket->p_ReceiveAsync(m_rbuf, kept, kReceiveBytes - kept, this);
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
