// URLs split into scheme, credentials, host, port, path, query and fragment.
#pragma once
#include "runtime/runtime.h"

class c_Url : public Object {
 public:
  String m_defaultScheme;
  int m_defaultPort = 0;
  String m_url;
  String m_scheme;
  String m_username;
  String m_password;
  String m_domain;
  int m_port = 0;
  String m_path;
  String m_query;
  String m_fragment;

  c_Url* m_new(const String& url, const String& defaultScheme, int defaultPort);
  void p_Set2(const String& url);
  // What a request line names: the path, with "?" and the query behind it when there is one.
  // The fragment stays with the client; it is never sent.
  String p_FullPath() const;
  String p_Domain() const { return m_domain; }
  int p_Port() const { return m_port; }
};
