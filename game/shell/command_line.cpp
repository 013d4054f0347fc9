// The command line: the option table, the help built from it, and the parser.
#include "game/shell/command_line.h"

#include <cstring>

namespace {

const char kProgram[] = "skarblit";

const char* ShowHelp(CommandLine& line, const char*);

const char* ShowVersion(CommandLine& line, const char*) {
  line.status = 0;
  line.text = std::string(kProgram) + " " + KX_VERSION + "\n";
  return nullptr;
}

// A run is recorded, watched or verified, one at a time.
const char* ReplayFile(CommandLine& line, std::string CommandLine::*file, const char* value) {
  if (!line.record.empty() || !line.replay.empty() || !line.verify.empty())
    return "--record, --replay and --verify go one at a time";
  line.*file = value;
  return nullptr;
}

const CommandOption kOptions[] = {
    {"--help", nullptr, "show this help and exit", ShowHelp},
    {"--version", nullptr, "show the version and exit", ShowVersion},
    {"--record", "FILE", "play, and record the run into FILE",
     [](CommandLine& line, const char* v) { return ReplayFile(line, &CommandLine::record, v); }},
    {"--replay", "FILE", "watch a recorded run (Escape stops)",
     [](CommandLine& line, const char* v) { return ReplayFile(line, &CommandLine::replay, v); }},
    {"--verify", "FILE", "replay a run without a window; 0 when it matches",
     [](CommandLine& line, const char* v) { return ReplayFile(line, &CommandLine::verify, v); }},
    {"--script", "FILE", "with --record: play the inputs of FILE, without a window",
     [](CommandLine& line, const char* v) -> const char* {
       line.script = v;
       return nullptr;
     }},
};
const int kOptionCount = sizeof kOptions / sizeof kOptions[0];

// "--name" or "--name VALUE".
std::string Spelled(const CommandOption& option) {
  return option.value ? std::string(option.name) + " " + option.value : option.name;
}

std::string Usage(const CommandOption* options, int count) {
  std::string usage = std::string("Usage: ") + kProgram;
  for (int i = 0; i < count; i++) usage += " [" + Spelled(options[i]) + "]";
  return usage;
}

const char* ShowHelp(CommandLine& line, const char*) {
  line.status = 0;
  line.text = Usage(kOptions, kOptionCount) +
              "\nSkarblit, an arcade game: fly close to the zap posts, and their lightning\n"
              "destroys the foes that home in on your craft.\n\nOptions:\n";
  for (const CommandOption& option : kOptions) {
    std::string spelled = Spelled(option);
    line.text += "  " + spelled + std::string(spelled.size() < 18 ? 18 - spelled.size() : 1, ' ') +
                 option.help + "\n";
  }
  line.text +=
      "\nThe game reads ./data/ and keeps its settings and scores in ./.vantorstate, in the folder"
      "\nit starts in; the installed launcher starts it in ~/.local/share/skarblit/.\n";
  return nullptr;
}

CommandLine Mistake(const std::string& what, const CommandOption* options, int count) {
  CommandLine line;
  line.status = 2;
  line.text = std::string(kProgram) + ": " + what + ". " + Usage(options, count) + "\n";
  return line;
}

// The value of "--name VALUE" from the arguments after it: the next one, or the one after a
// "--" there (which ends the options); null when there is none. One that starts with "-" is not
// taken, so a forgotten value cannot swallow the option after it; "--name=-x" and
// "--name -- -x" name such a file.
const char* NextValue(int argc, const char* const* argv, int& i, bool& ended) {
  if (i + 1 < argc && !strcmp(argv[i + 1], "--")) {
    ended = true;
    i++;
    return i + 1 < argc ? argv[++i] : nullptr;
  }
  return i + 1 < argc && argv[i + 1][0] != '-' ? argv[++i] : nullptr;
}

}  // namespace

CommandLine kx_cmdline_Parse(int argc, const char* const* argv) {
  CommandLine line = kx_cmdline_Parse2(argc, argv, kOptions, kOptionCount);
  if (line.status < 0 && !line.script.empty() && line.record.empty())
    return Mistake("--script goes with --record", kOptions, kOptionCount);
  return line;
}

CommandLine kx_cmdline_Parse2(int argc, const char* const* argv, const CommandOption* options,
                              int count) {
  CommandLine line;
  bool ended = false;  // by "--": no argument after it is an option
  for (int i = 1; i < argc && line.status < 0; i++) {
    if (!ended && !strcmp(argv[i], "--")) {
      ended = true;
      continue;
    }
    if (ended || argv[i][0] != '-')
      return Mistake("stray argument '" + std::string(argv[i]) + "'", options, count);
    // "--name=value" is the same as "--name value".
    const char* equals = strchr(argv[i], '=');
    std::string name(argv[i], equals ? equals - argv[i] : strlen(argv[i]));
    const CommandOption* option = nullptr;
    for (int k = 0; k < count && !option; k++)
      if (name == options[k].name) option = &options[k];
    if (!option) return Mistake("unknown option '" + name + "'", options, count);
    if (!option->value && equals)
      return Mistake("option '" + name + "' takes no value", options, count);
    const char* value = equals ? equals + 1 : nullptr;
    if (option->value && !equals) value = NextValue(argc, argv, i, ended);
    if (option->value && (!value || !*value)) {
      std::string refused = !value && i + 1 < argc ? ", not '" + std::string(argv[i + 1]) + "'"
                                                   : "";
      return Mistake("option '" + name + "' needs a " + option->value + refused, options, count);
    }
    if (const char* mistake = option->apply(line, value)) return Mistake(mistake, options, count);
  }
  return line;
}
