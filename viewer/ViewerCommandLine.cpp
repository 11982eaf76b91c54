#include "viewer/ViewerCommandLine.h"

#include "platform/CaseFold.h"

namespace {

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

ViewerCommandLine ViewerCommandLine::Parse(const std::vector<std::string>& args) {
  ViewerCommandLine line;
  bool haveFile = false;
  for (const std::string& word : args) {
    // An absolute path starts with "/" too; only known switch names count as switches.
    const Action action = IsSwitch(word) ? SwitchAction(word.substr(1)) : Action::Open;
    if (action != Action::Open) {
      line.action = action;
    } else if (!haveFile) {
      line.file = word;
      haveFile = true;
    } else {
      line.ignored.push_back(word);
    }
  }
  return line;
}
