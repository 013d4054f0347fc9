// The program's command line: a table of options, each a switch or an option with a value,
// read before anything else starts. Options that only print (help, version) and mistakes end
// the program at once, without a window.
#pragma once
#include <string>

// What the command line asked for.
struct CommandLine {
  int status = -1;   // -1: start the game; otherwise end at once with this exit status
  std::string text;  // printed before ending: to standard output for status 0, else to standard error
  // At most one of these is set: record the run into the file, watch the file, verify it.
  std::string record, replay, verify;
  // With record: the run is played from this script of inputs instead of by a player.
  std::string script;
};

struct CommandOption {
  const char* name;   // "--version"
  const char* value;  // the value's name in the help ("FILE"), or null for a switch
  const char* help;   // one line for --help
  // Null when applied, or the mistake to report.
  const char* (*apply)(CommandLine& line, const char* value);
};

// Reads the arguments after the program's name against the game's options. Every argument
// is an option or an option's value; "--" ends the options, and only a value still owed may
// follow it.
CommandLine kx_cmdline_Parse(int argc, const char* const* argv);
// The same against another table of options.
CommandLine kx_cmdline_Parse2(int argc, const char* const* argv, const CommandOption* options,
                              int count);
