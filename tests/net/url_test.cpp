// URL parsing.
#include <gtest/gtest.h>

#include "net/url.h"

namespace {

// Every part of the parsed URL, joined with "|", the request line's path last.
std::string Parts(const char* text) {
  c_Url* url = (new c_Url)->m_new(String(text), String("http"), 80);
  String parts[] = {url->m_scheme, url->m_username, url->m_password, url->p_Domain(),
                    String(url->p_Port()), url->m_path, url->m_query, url->m_fragment,
                    url->p_FullPath()};
  std::string out = parts[0].ToUtf8();
  for (int i = 1; i < 9; ++i) out += "|" + parts[i].ToUtf8();
  return out;
}

TEST(Url, SplitsEveryPartAndSeparatorsCountOnlyInTheirOwnPart) {
  const char* const cases[][2] = {
      // The fragment is never part of what a request names.
      {"https://ann:se:cret@example.org:8080/games/score.php?a=1&b=2#top",
       "https|ann|se:cret|example.org|8080|/games/score.php|a=1&b=2|top|/games/score.php?a=1&b=2"},
      {"example.org", "http|||example.org|80|/|||/"},
      {"bob@host/x", "http|bob||host|80|/x|||/x"},
      // An "@" behind the first "/" is path text, not the end of a user name.
      {"http://host/a@b", "http|||host|80|/a@b|||/a@b"},
      {"http://u@h/a@b:1", "http|u||h|80|/a@b:1|||/a@b:1"},
      {"h/x:y@z", "http|||h|80|/x:y@z|||/x:y@z"},
      // So is a "://".
      {"host/a://b", "http|||host|80|/a://b|||/a://b"},
      // A "?" inside the fragment is fragment text.
      {"http://h/p#frag?x=1", "http|||h|80|/p||frag?x=1|/p"},
      // "://", "@" and ":" after the query start are query text.
      {"h?to=ftp://u@x:1", "http|||h|80|/|to=ftp://u@x:1||/?to=ftp://u@x:1"},
      // A ":" behind the first "/" belongs to the path; a port that is not a number reads as 0.
      {"h/a:b", "http|||h|80|/a:b|||/a:b"},
      {"h:web?q", "http|||h|0|/|q||/?q"},
  };
  for (const auto& c : cases) EXPECT_EQ(Parts(c[0]), c[1]) << c[0];
}

}  // namespace
