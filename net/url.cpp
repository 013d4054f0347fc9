// The URL parser. Every separator is looked for only inside the part it can belong to, so a "?"
// inside the fragment, or a ":" or "@" in the path, is taken as text.
#include "net/url.h"

c_Url* c_Url::m_new(const String& url, const String& defaultScheme, int defaultPort) {
  m_defaultScheme = defaultScheme;
  m_defaultPort = defaultPort;
  p_Set2(url);
  return this;
}

void c_Url::p_Set2(const String& u) {
  const int n = u.Length();
  m_url = u;
  m_scheme = m_defaultScheme;
  m_username = m_password = m_domain = String();
  m_port = m_defaultPort;
  m_path = String("/");
  m_query = m_fragment = String();

  int h = u.Find(String("#"));
  int q = u.Find(String("?"));
  if (h != -1 && q > h) q = -1;
  const int e = q != -1 ? q : (h != -1 ? h : n);
  // A separator found at or past `e` does not count.
  auto before_e = [e](int at) { return at < e ? at : -1; };

  int s = 0;
  int i = before_e(u.Find(String("://")));
  // Behind a "/" it is path text too, as in "host/a://b".
  if (i != -1 && u.Find(String("/")) < i) i = -1;
  if (i != -1) {
    m_scheme = u.Slice(0, i);
    s = i + 3;
  }
  // The credentials end at an "@" before the first "/": one further on is path text, and
  // taking it would connect to whatever host the path names.
  int slash = before_e(u.Find(String("/"), s));
  int a = u.Find(String("@"), s);
  if (a >= (slash != -1 ? slash : e)) a = -1;
  if (a != -1) {
    int c = u.Find(String(":"), s);
    if (c != -1 && c < a) {
      m_username = u.Slice(s, c);
      m_password = u.Slice(c + 1, a);
    } else {
      m_username = u.Slice(s, a);
    }
    s = a + 1;
  }
  int p = before_e(u.Find(String(":"), s));
  int l = before_e(u.Find(String("/"), s));
  if (p != -1 && (l == -1 || p < l)) {
    m_domain = u.Slice(s, p);
    m_port = u.Slice(p + 1, l != -1 ? l : e).ToInt();
    if (l != -1) m_path = u.Slice(l, e);
  } else if (l != -1) {
    m_domain = u.Slice(s, l);
    m_path = u.Slice(l, e);
  } else {
    m_domain = u.Slice(s, e);
  }
  if (q != -1) m_query = u.Slice(q + 1, h != -1 ? h : n);
  if (h != -1) m_fragment = u.Slice(h + 1, n);
}

String c_Url::p_FullPath() const {
  String path = m_path;
  if (m_query.Length() > 0) path += String("?") + m_query;
  return path;
}
