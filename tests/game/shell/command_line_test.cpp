// The command line: what starts the game, what only prints, and the one-line mistakes.
#include "game/shell/command_line.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

namespace {

std::string g_file;

// The text as a regular expression that matches it alone.
std::string Quote(const std::string& text) {
  return std::regex_replace(text, std::regex(R"([.^$|()\[\]{}*+?\\])"), R"(\$&)");
}
const std::string kUsage = Quote(
    "Usage: skarblit [--help] [--version] [--record FILE] [--replay FILE] [--verify FILE]");

const CommandOption kWithValue[] = {
    {"--file", "FILE", "", [](CommandLine&, const char* value) { g_file = value; }}};

struct Case {
  const CommandOption* options;   // null for the game's own
  std::vector<const char*> args;  // after the program's name
  int status;
  std::string text;  // a regular expression over the whole text
  std::string file;  // the value --file received
};

TEST(CommandLine, StartsPrintsOrRefusesInOneLine) {
  const std::string mistake = "\\. " + kUsage + "\n";
  const Case cases[] = {
      {nullptr, {}, -1, "", ""},
      {nullptr, {"menu"}, -1, "", ""},
      {nullptr, {"--version"}, 0, "skarblit [0-9]+\\.[0-9]+\\.[0-9]+\n", ""},
      {nullptr, {"--help", "--bogus"}, 0, kUsage + "\n(.|\n)*  --version +show(.|\n)*", ""},
      {nullptr, {"--bogus", "--help"}, 2, "skarblit: unknown option '--bogus'" + mistake, ""},
      {nullptr, {"-h"}, 2, "skarblit: unknown option '-h'" + mistake, ""},
      {nullptr, {"-"}, 2, "skarblit: unknown option '-'" + mistake, ""},
      {nullptr, {"--help=yes"}, 2, "skarblit: option '--help' takes no value" + mistake, ""},
      {nullptr, {"--verify", "a.skr", "--record", "b.skr"}, 2,
       "skarblit: --record, --replay and --verify go one at a time\n", ""},
      {kWithValue, {"--file", "a.rec"}, -1, "", "a.rec"},
      {kWithValue, {"--file=b.rec", "x"}, -1, "", "b.rec"},
      {kWithValue, {"--file"}, 2,
       Quote("skarblit: option '--file' needs a FILE. Usage: skarblit [--file FILE]\n"), ""},
  };
  for (const Case& c : cases) {
    std::vector<const char*> argv = {"skarblit"};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    int argc = static_cast<int>(argv.size());
    g_file = "";
    CommandLine line = c.options ? kx_cmdline_Parse2(argc, argv.data(), c.options, 1)
                                 : kx_cmdline_Parse(argc, argv.data());
    EXPECT_EQ(line.status, c.status) << (argc > 1 ? argv[1] : "");
    EXPECT_TRUE(std::regex_match(line.text, std::regex(c.text))) << line.text;
    EXPECT_EQ(g_file, c.file);
  }
}

}  // namespace
