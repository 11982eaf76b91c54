#include "viewer/ViewerCommandLine.h"

#include "base/HtmlEscape.h"
#include "platform/CaseFold.h"

namespace {

bool IsHelp(const std::string& word) {
  return word == "--help" || word == "-h" || word == "-?" || word == "/?" ||
         EqualNoCase(word, "/help");
}

bool IsSwitch(const std::string& word) {
  return word.size() > 1 && (word[0] == '/' || word[0] == '-');
}

// The action of switch NAME (without its mark), or Open for none known.
ViewerCommandLine::Action SwitchAction(const std::string& name) {
  using Action = ViewerCommandLine::Action;
  if (EqualNoCase(name, "Regserver") || EqualNoCase(name, "Register")) return Action::Register;
  if (EqualNoCase(name, "Unregserver") || EqualNoCase(name, "Unregister")) return Action::Unregister;
  if (EqualNoCase(name, "Embedding") || EqualNoCase(name, "Automation")) return Action::Automation;
  return Action::Open;
}

}  // namespace

const char* const ViewerCommandLine::kUsage =
    "Usage: stow [ARCHIVE.vxb | vexost:URL]\n"
    "       stow /Regserver | /Unregserver\n"
    "       stow --help\n"
    "\n"
    "Shows a document archive in a window: the archive file is handed to the reader\n"
    "module and its start page is shown; a vexost: URL is shown as it stands.\n"
    "/Regserver and /Unregserver write and remove the shell settings of the archive\n"
    "file types and end without a window.\n";

std::string ViewerCommandLine::FileArgument(const std::string& word) {
  std::string path;
  if (word.starts_with("file:///"))
    path = word.substr(7);
  else if (word.starts_with("file://localhost/"))
    path = word.substr(16);
  else
    return word;
  return vxs::UnescapeUrlComponent(path);
}

ViewerCommandLine ViewerCommandLine::Parse(const std::vector<std::string>& args) {
  ViewerCommandLine line;
  bool haveFile = false;
  for (const std::string& word : args) {
    if (IsHelp(word)) {
      line.action = Action::Help;
      return line;
    }
    // An absolute path starts with "/" too; only known switch names count as switches.
    const Action action = IsSwitch(word) ? SwitchAction(word.substr(1)) : Action::Open;
    if (action == Action::Open && word.size() > 1 && word[0] == '-') {
      line.action = Action::BadOption;
      line.badOption = word;
      return line;
    }
    if (action != Action::Open) {
      line.action = action;
    } else if (!haveFile) {
      line.file = FileArgument(word);
      haveFile = true;
    } else {
      line.ignored.push_back(word);
    }
  }
  return line;
}
