// The viewer's command line, read as the framework's standard parsing reads an
// application's: one file (an archive path or a vexost: URL) and the switches,
// written with "/" or "-" in any case, for registering and automation. A
// local file:// URI stands for its file.
#pragma once

#include <string>
#include <vector>

struct ViewerCommandLine {
  enum class Action {
    Open,        // show the window with the file (if any)
    Register,    // /Regserver, /Register: write the shell settings and end
    Unregister,  // /Unregserver, /Unregister: remove them and end
    Automation,  // /Embedding, /Automation: started for automation
  };

  Action action = Action::Open;
  std::string file;
  // Words that are neither a switch nor the first file.
  std::vector<std::string> ignored;

  // WORD, or the path of a local file:// URI (as desktops hand files over).
  static std::string FileArgument(const std::string& word);
  // ARGS without the program name.
  static ViewerCommandLine Parse(const std::vector<std::string>& args);
};
