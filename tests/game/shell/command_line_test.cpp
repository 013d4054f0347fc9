// The command line: what starts the game, what only prints, and the one-line mistakes.
#include "game/shell/command_line.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <string>
#include <vector>

#include "tests/support/process.h"

namespace {

std::string g_file;

// As regular expressions.
const std::string kUsage =
    R"(Usage: skarblit \[--help\] \[--version\] \[--record FILE\] \[--replay FILE\] )"
    R"(\[--verify FILE\] \[--script FILE\])";

const CommandOption kWithValue[] = {
    {"--file", "FILE", "", [](CommandLine&, const char* value) -> const char* {
       g_file = value;
       return nullptr;
     }}};

struct Case {
  const CommandOption* options;   // null for the game's own
  std::vector<const char*> args;  // after the program's name
  int status;
  std::string text;  // a regular expression over the whole text
  std::string file;  // the value --file received
};

TEST(CommandLine, StartsPrintsOrRefusesInOneLine) {
  const std::string mistake = "\\. " + kUsage + "\n";
  const std::string needs = "skarblit: option '--file' needs a FILE";
  const std::string fileUsage = R"(\. Usage: skarblit \[--file FILE\]\n)";
  const Case cases[] = {
      {nullptr, {}, -1, "", ""},
      {nullptr, {"--"}, -1, "", ""},
      {nullptr, {"menu", "--help"}, 2, "skarblit: stray argument 'menu'" + mistake, ""},
      {nullptr, {"--", "--help"}, 2, "skarblit: stray argument '--help'" + mistake, ""},
      {nullptr, {"--version"}, 0, "skarblit [0-9]+\\.[0-9]+\\.[0-9]+\n", ""},
      {nullptr, {"--help", "--bogus"}, 0, kUsage + "\n(.|\n)*  --version +show(.|\n)*", ""},
      {nullptr, {"--bogus", "--help"}, 2, "skarblit: unknown option '--bogus'" + mistake, ""},
      {nullptr, {"-h"}, 2, "skarblit: unknown option '-h'" + mistake, ""},
      {nullptr, {"-"}, 2, "skarblit: unknown option '-'" + mistake, ""},
      {nullptr, {"--help=yes"}, 2, "skarblit: option '--help' takes no value" + mistake, ""},
      {nullptr, {"--script", "a.txt"}, 2, "skarblit: --script goes with --record" + mistake, ""},
      {nullptr, {"--verify", "a.skr", "--record", "b.skr"}, 2,
       "skarblit: --record, --replay and --verify go one at a time" + mistake, ""},
      {kWithValue, {"--file", "a.rec"}, -1, "", "a.rec"},
      {kWithValue, {"--file=-b.rec"}, -1, "", "-b.rec"},
      {kWithValue, {"--file", "--", "-c.rec"}, -1, "", "-c.rec"},
      {kWithValue, {"--file", "--", "-c.rec", "d"}, 2, "skarblit: stray argument 'd'" + fileUsage,
       "-c.rec"},
      {kWithValue, {"--file=b.rec", "x"}, 2, "skarblit: stray argument 'x'" + fileUsage, "b.rec"},
      {kWithValue, {"--file"}, 2, needs + fileUsage, ""},
      {kWithValue, {"--file="}, 2, needs + fileUsage, ""},
      {kWithValue, {"--file", "--"}, 2, needs + fileUsage, ""},
      {kWithValue, {"--file", "-x"}, 2, needs + ", not '-x'" + fileUsage, ""},
  };
  for (const Case& c : cases) {
    std::vector<const char*> argv = {"skarblit"};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    int argc = static_cast<int>(argv.size());
    g_file = "";
    CommandLine line = c.options ? kx_cmdline_Parse2(argc, argv.data(), c.options, 1)
                                 : kx_cmdline_Parse(argc, argv.data());
    std::string args;
    for (const char* arg : c.args) args += std::string(" '") + arg + "'";
    EXPECT_EQ(line.status, c.status) << args;
    EXPECT_TRUE(std::regex_match(line.text, std::regex(c.text))) << args << ": " << line.text;
    EXPECT_EQ(g_file, c.file) << args;
  }
}

// The option names of a text: group 1 of every match, with roff's "\-" read as "-".
std::vector<std::string> Names(const std::string& text, const std::string& pattern) {
  std::vector<std::string> names;
  std::regex re(pattern);
  for (std::sregex_iterator m(text.begin(), text.end(), re), end; m != end; ++m)
    names.push_back(std::regex_replace((*m)[1].str(), std::regex(R"(\\-)"), "-"));
  std::sort(names.begin(), names.end());
  return names;
}

// The manual page's OPTIONS has a paragraph for every option --help lists, and for no other.
TEST(CommandLine, ManualPageDocumentsEveryOption) {
  const char* argv[] = {"skarblit", "--help"};
  std::string help = kx_cmdline_Parse(2, argv).text;
  std::string page = kxtest::ReadFile(KX_SOURCE_DIR "/dist/skarblit.6");
  size_t from = page.find("\n.SH OPTIONS\n");
  ASSERT_NE(from, std::string::npos) << "no OPTIONS in the manual page";
  std::string options = page.substr(from, page.find("\n.SH ", from + 1) - from);
  EXPECT_EQ(Names(options, R"(\n\.TP\n\.BI? ((\\-)+[a-z]+))"), Names(help, R"(\n  (--[a-z]+))"));
}

}  // namespace
