// The program's command line: a table of options, one entry each, from which the parsing and
// the --help text both come.
#pragma once

#include <span>
#include <string>

struct SOption {
  const char* pszName;      // "--ports"
  const char* pszArgument;  // the value's name in --help ("FILE"), or nullptr for none
  const char* pszHelp;      // one line
  // Acts on the option (pszValue is its argument, or nullptr); answers an exit status to end
  // the program with, or kContinue.
  int (*pfnRun)(const char* pszValue);
};

// An option's answer when the program is to go on and open its window.
inline constexpr int kContinue = -1;
// The exit status for a command line the program does not understand.
inline constexpr int kUsageError = 2;

// Checks argv against the table, then runs its options in order: answers kUsageError after a
// one-line message on stderr for anything not in the table (before any option acts), else the
// first exit status an option gives, else kContinue.
int RunCommandLine(int argc, char** argv, std::span<const SOption> options);

// Says on stderr, in one line, what is wrong with the command line; answers kUsageError.
int UsageError(const std::string& strWhat);

// The --help text of the table.
std::string HelpText(std::span<const SOption> options);
