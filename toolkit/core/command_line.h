// Command lines as one text, the way the Windows platform handles them:
// splitting them into words, and building one from a list of arguments.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zarv {

// The longest command line the services copy (in characters).
inline constexpr std::size_t kCommandLineLength = 1024;

// Words as the program's own argument routine sees them: separated by blanks
// (or tabs); a word that begins with a double quote runs to the next double
// quote and comes back without the quotes. Word 0 is the program.
std::vector<std::string> SplitArgumentWords(std::string_view line);

// The arguments after the program name, by the C runtime's rules on
// Windows: double quotes group words and are removed; 2n backslashes before
// a quote give n backslashes and the quote acts; 2n+1 give n backslashes and
// a literal quote; "" inside quotes is a literal quote; other backslashes
// stand as they are.
std::vector<std::string> SplitCommandArguments(std::string_view args);

// The program name at the start of a command line: a quoted one runs to the
// next quote (`quoted` set); an unquoted one to the first blank. `rest` is
// what follows it.
struct CommandHead {
  std::string program;
  std::string rest;
  bool quoted = false;
};
CommandHead SplitCommandHead(std::string_view line);

// `argument` as one word of a command line that SplitCommandArguments gives
// back exactly, whatever bytes it holds (NUL aside): always in double
// quotes, each quote preceded by a backslash, and the backslashes that end
// up before a quote (an escaped one or the closing one) doubled. Programs
// that split their command line by the Windows runtime's rules, and the
// converter run by IOsCommand, receive it as it stands.
std::string QuoteArgument(std::string_view argument);

// The command line a Windows launcher would have built from `argv`:
// arguments joined by blanks, those with blanks or tabs (or empty ones)
// enclosed in double quotes.
std::string JoinArguments(const std::vector<std::string>& argv);

// The running program's arguments (argv[0] first), from /proc/self/cmdline.
std::vector<std::string> OwnArguments();
// The running program's full path, from /proc/self/exe (looked up once);
// empty on failure.
std::string OwnProgramPath();
// Its folder, with a trailing '/'.
std::string OwnProgramFolder();

}  // namespace zarv
