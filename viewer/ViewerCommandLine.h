// The viewer's command line, read as the framework's standard parsing reads an
// application's: one file (an archive path or a vexost: URL) and the switches,
// written with "/" or "-" in any case, for registering and automation, and the
// help options. A local file:// URI stands for its file. A word that begins
// with "-" and is no known switch is an unknown option (a path beginning with
// "/" is a file unless it is a known switch).
#pragma once

#include <string>
#include <vector>

struct ViewerCommandLine {
  enum class Action {
    Open,        // show the window with the file (if any)
    Register,    // /Regserver, /Register: write the shell settings and end
    Unregister,  // /Unregserver, /Unregister: remove them and end
    Automation,  // /Embedding, /Automation: started for automation
    Help,        // --help, -h, /?: print the usage and end
    BadOption,   // an unknown "-" option: say so with the usage and end
  };

  // The usage text, with a line for each form of the command.
  static const char* const kUsage;

  Action action = Action::Open;
  std::string file;
  // The unknown option of BadOption.
  std::string badOption;
  // Words that are neither a switch nor the first file.
  std::vector<std::string> ignored;

  // WORD, or the path of a local file:// URI (as desktops hand files over).
  static std::string FileArgument(const std::string& word);
  // ARGS without the program name.
  static ViewerCommandLine Parse(const std::vector<std::string>& args);
};
