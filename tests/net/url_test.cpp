// URL parsing.
#include <gtest/gtest.h>

#include "net/url.h"

namespace {

struct Parts {
  std::string scheme, username, password, domain;
  int port;
  std::string path, query, fragment, fullPath;
};

Parts Parse(const char* text) {
  c_Url* url = (new c_Url)->m_new(String(text), String("http"), 80);
  return {url->m_scheme.ToUtf8(), url->m_username.ToUtf8(), url->m_password.ToUtf8(),
          url->p_Domain().ToUtf8(), url->p_Port(), url->m_path.ToUtf8(), url->m_query.ToUtf8(),
          url->m_fragment.ToUtf8(), url->p_FullPath().ToUtf8()};
}

void ExpectParts(const char* text, const Parts& want) {
  SCOPED_TRACE(text);
  Parts got = Parse(text);
  EXPECT_EQ(got.scheme, want.scheme);
  EXPECT_EQ(got.username, want.username);
  EXPECT_EQ(got.password, want.password);
  EXPECT_EQ(got.domain, want.domain);
  EXPECT_EQ(got.port, want.port);
  EXPECT_EQ(got.path, want.path);
  EXPECT_EQ(got.query, want.query);
  EXPECT_EQ(got.fragment, want.fragment);
  EXPECT_EQ(got.fullPath, want.fullPath);
}

TEST(Url, SplitsEveryPart) {
  ExpectParts("https://ann:se:cret@example.org:8080/games/score.php?a=1&b=2#top",
              {"https", "ann", "se:cret", "example.org", 8080, "/games/score.php", "a=1&b=2", "top",
               "/games/score.php?a=1&b=2#top"});
  ExpectParts("example.org", {"http", "", "", "example.org", 80, "/", "", "", "/"});
  ExpectParts("bob@host/x", {"http", "bob", "", "host", 80, "/x", "", "", "/x"});
}

TEST(Url, SeparatorsCountOnlyInTheirOwnPart) {
  // A "?" inside the fragment is fragment text.
  ExpectParts("http://h/p#frag?x=1", {"http", "", "", "h", 80, "/p", "", "frag?x=1", "/p#frag?x=1"});
  // "://", "@" and ":" after the query start are query text.
  ExpectParts("h?to=ftp://u@x:1", {"http", "", "", "h", 80, "/", "to=ftp://u@x:1", "", "/?to=ftp://u@x:1"});
  // A ":" behind the first "/" belongs to the path; a port that is not a number reads as 0.
  ExpectParts("h/a:b", {"http", "", "", "h", 80, "/a:b", "", "", "/a:b"});
  ExpectParts("h:web?q", {"http", "", "", "h", 0, "/", "q", "", "/?q"});
}

}  // namespace
