// An HTTP/1.0 client: one request at a time over an asynchronous socket. The listener is called
// exactly once per exchange, on the main thread, however the exchange ended; an exchange that a
// new p_Send replaces before it ended is dropped without a call.
#pragma once
#include "net/socket.h"
#include "net/url.h"

class c_HttpRequest;

class c_IOnHttpRequestComplete {
 public:
  virtual ~c_IOnHttpRequestComplete() = default;
  virtual void p_OnHttpRequestComplete(c_HttpRequest* request) = 0;
};

class c_HttpRequest : public Object,
                      public c_IOnConnectComplete,
                      public c_IOnSendComplete,
                      public c_IOnReceiveComplete {
 public:
  static const int kHeadBytes = 4096;
  static const int kReceiveBytes = 16384;

  String m_req;
  c_Url* m_url = nullptr;
  c_IOnHttpRequestComplete* m_listener = nullptr;
  c_DataBuffer* m_body = nullptr;
  int m_bodyLength = 0;
  // -1 until a status line has been accepted.
  int m_status = -1;
  // Decoded pieces of the body; null while the head is being read.
  c_StringStack* m_response = nullptr;
  String m_responseText;
  int m_bytesReceived = 0;
  // The request head's lines, later the response head's.
  c_StringStack* m_lines = nullptr;
  c_Socket* m_socket = nullptr;
  c_DataBuffer* m_wbuf = nullptr;
  c_DataBuffer* m_rbuf = nullptr;

  c_HttpRequest* m_new();
  c_HttpRequest* m_new2(const String& req, const String& url, c_IOnHttpRequestComplete* listener);
  void p_Open(const String& req, const String& url, c_IOnHttpRequestComplete* listener);
  // Closes the exchange still under way, if any, and starts a new one.
  void p_Send();
  // Sends `data` encoded as the body, with Content-Type (when given) and Content-Length lines.
  void p_Send2(const String& data, const String& mimeType, const String& encoding);
  int p_Status() const { return m_status; }
  String p_ResponseText() const { return m_responseText; }

  void p_OnConnectComplete(bool connected, c_Socket* source) override;
  void p_OnSendComplete(c_DataBuffer* data, int offset, int count, c_Socket* source) override;
  void p_OnReceiveComplete(c_DataBuffer* data, int offset, int count, c_Socket* source) override;
  void mark() override;

 private:
  // Reads head lines from the received bytes, then goes on with the body or finishes.
  void ReceiveHead(int offset, int count);
  // Whether the collected head starts with a usable status line; sets m_status if so.
  bool AcceptStatusLine();
  // Decodes the body bytes [from, end) of the receive buffer, `fresh` of them new.
  void ReceiveBody(int from, int end, int fresh);
  // Moves the unconsumed bytes [from, end) to the buffer's start and receives behind them.
  void KeepAndReceive(int from, int end);
  void Finish();
  void NewBuffers();
};
