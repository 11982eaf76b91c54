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

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::string ViewerCommandLine::FileArgument(const std::string& word) {
  std::string path;
  if (word.starts_with("file:///"))
    path = word.substr(7);
  else if (word.starts_with("file://localhost/"))
    path = word.substr(16);
  else
    return word;
  std::string out;
  for (std::size_t i = 0; i < path.size(); ++i) {
    const int high = path[i] == '%' && i + 2 < path.size() ? HexValue(path[i + 1]) : -1;
    const int low = high >= 0 ? HexValue(path[i + 2]) : -1;
    if (low >= 0 && high * 16 + low != 0) {
      out += static_cast<char>(high * 16 + low);
      i += 2;
    } else {
      out += path[i];
    }
  }
  return out;
}

ViewerCommandLine ViewerCommandLine::Parse(const std::vector<std::string>& args) {
  ViewerCommandLine line;
  bool haveFile = false;
  for (const std::string& word : args) {
    // An absolute path starts with "/" too; only known switch names count as switches.
    const Action action = IsSwitch(word) ? SwitchAction(word.substr(1)) : Action::Open;
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
