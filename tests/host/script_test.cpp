// The script of inputs a recording is made from: the mistakes it refuses with the line they are
// on. What its lines become is pinned by the scripts of tests/replays, which the suite records
// again and compares byte for byte.
#include <gtest/gtest.h>

#include "host/replay/script.h"

namespace {

TEST(ReplayScript, RefusesMalformedLinesWithTheirNumber) {
  const char axis[] = "line 1: pad SLOT axis LeftX|LeftY|RightX|RightY|LT|RT -1..1";
  const struct {
    const char* text;
    const char* error;
  } cases[] = {
      {"", "line 1: the script has no end line"},
      {"at 5 press Enter\n", "line 1: the script has no end line"},
      {"at 10 press A\nat 5 press B\nend 20", "line 2: times go forward; 5 is before 10"},
      {"at x press A\nend 9", "line 1: 'x' is not a time"},
      {"at 99999999999 press A\nend 9", "line 1: '99999999999' is not a time"},
      {"at 1 press Hyper\nend 9", "line 1: press KEY [UPDATES]"},
      {"at 1 press A 0\nend 9", "line 1: '0' is not a count of updates"},
      {"at 1 key sideways A\nend 9", "line 1: key down|up KEY"},
      {"at 1 mouse 3\nend 9", "line 1: mouse X Y, from 0 to 16383"},
      {"at 1 pad 16 connect\nend 9", "line 1: pad needs a slot from 0 to 15"},
      {"at 1 pad 0 axis LeftX 1.5\nend 9", axis},
      {"at 1 pad 0 axis LeftX nan\nend 9", axis},
      {"at 1 pad 0 button Z down\nend 9", "line 1: no such pad button"},
      {"at 1\nend 9", "line 1: at needs an event"},
      {"jump 3\nend 9", "line 1: unknown line 'jump'"},
      {"repeat 2\n at 4 press A\ndone\nend 9", "line 2: times inside a repeat are +N"},
      {"repeat 2\n at +1 press A\nend 9", "line 3: end takes a time, outside any repeat"},
      {"repeat 2\n at +1 press A\n", "line 2: a repeat without its done"},
      {"done\nend 9", "line 1: done without a repeat"},
      {"end 9\nat 10 press A", "line 2: nothing may follow the end"},
      {"at 1 press A\nstate s.txt\nend 9", "line 2: state comes once, before any event"},
      {"repeat 99999\n repeat 99999\n  at +0 close\n done\ndone\nend 0", "line 3: too many events"},
  };
  for (const auto& c : cases) {
    KxReplayScript script;
    std::string error;
    EXPECT_FALSE(kx_script_Parse(c.text, "", &script, &error)) << c.text;
    EXPECT_EQ(error, c.error) << c.text;
  }
}

}  // namespace
