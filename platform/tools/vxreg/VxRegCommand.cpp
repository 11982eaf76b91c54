#include "platform/tools/vxreg/VxRegCommand.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <istream>
#include <optional>
#include <ostream>
#include <sstream>

#include "platform/CaseFold.h"
#include "platform/RegistryList.h"
#include "platform/tools/vxreg/VxRegData.h"
#include "platform/tools/vxreg/VxRegExport.h"
#include "platform/tools/vxreg/VxRegKeyName.h"

namespace {

constexpr const char* kUsage =
    "Usage:\n"
    "  vxreg query KEY [/v NAME | /ve] [/s]\n"
    "  vxreg add KEY [/v NAME | /ve] [/t TYPE] [/d DATA] [/f]\n"
    "  vxreg delete KEY [/v NAME | /ve | /va] [/f]\n"
    "  vxreg export KEY FILE [/y]\n"
    "\n"
    "KEY   ROOT[\\SubKey], ROOT being HKCU, HKLM, HKCR, HKCC or the full name\n"
    "      (HKEY_CURRENT_USER ...).\n"
    "/v    the value NAME; /ve the unnamed value, shown as (Default); /va all values.\n"
    "/s    query the key and all keys below it.\n"
    "/t    REG_SZ (the default), REG_EXPAND_SZ, REG_MULTI_SZ, REG_DWORD, REG_QWORD,\n"
    "      REG_BINARY or REG_NONE.\n"
    "/d    the data: a text; the texts of REG_MULTI_SZ separated by \\0; numbers in\n"
    "      decimal or 0x hexadecimal; binary data as pairs of hexadecimal digits.\n"
    "/f    overwrite or delete without asking.\n"
    "/y    export: overwrite FILE without asking.\n"
    "\n"
    "Exit codes: 0 done, 1 failed or cancelled, 2 wrong command line.\n";

constexpr const char* kDone = "The operation completed successfully.\n";
constexpr const char* kIndent = "    ";

class BadCommand {
 public:
  explicit BadCommand(std::string reason) : m_reason(std::move(reason)) {}
  const std::string& Reason() const { return m_reason; }

 private:
  std::string m_reason;
};

struct Options {
  std::string operation;
  std::vector<std::string> operands;
  std::optional<std::string> valueName;  // /v NAME, or "" for /ve
  bool allValues = false;                // /va
  bool recursive = false;                // /s
  std::optional<std::string> type;       // /t
  std::optional<std::string> data;       // /d
  bool force = false;                    // /f
  bool overwriteFile = false;            // /y
};

// The options each operation takes, and how many operands (key, file).
struct Grammar {
  const char* operation;
  const char* options;  // the option letters, each followed by a blank
  std::size_t operands;
};
const Grammar kGrammar[] = {
    {"query", "v ve s ", 1},
    {"add", "v ve t d f ", 1},
    {"delete", "v ve va f ", 1},
    {"export", "y ", 2},
};

const Grammar* GrammarOf(const std::string& operation) {
  for (const Grammar& grammar : kGrammar) {
    if (EqualNoCase(operation, grammar.operation)) return &grammar;
  }
  return nullptr;
}

// The option an argument names ("ve" for /VE or -ve), or nothing for an operand.
std::optional<std::string> OptionName(const std::string& argument) {
  if (argument.size() < 2 || (argument[0] != '/' && argument[0] != '-')) return std::nullopt;
  std::string name = argument.substr(1);
  for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (const char* known : {"v", "ve", "va", "s", "t", "d", "f", "y"}) {
    if (name == known) return name;
  }
  return std::nullopt;
}

void SetOnce(bool* flag, const std::string& option) {
  if (*flag) throw BadCommand("option /" + option + " is given twice");
  *flag = true;
}

void SetOnce(std::optional<std::string>* slot, const std::string& option, std::string value) {
  if (*slot) throw BadCommand("option /" + option + " is given twice, or with another value choice");
  *slot = std::move(value);
}

Options ParseOptions(const std::vector<std::string>& args) {
  Options options;
  const Grammar* grammar = GrammarOf(args.front());
  if (!grammar) throw BadCommand("unknown operation \"" + args.front() + "\"");
  options.operation = grammar->operation;
  for (std::size_t index = 1; index < args.size(); ++index) {
    const std::optional<std::string> option = OptionName(args[index]);
    if (!option) {
      options.operands.push_back(args[index]);
      continue;
    }
    if (!std::strstr(grammar->options, (*option + " ").c_str())) {
      throw BadCommand("option /" + *option + " does not belong to " + options.operation);
    }
    const bool takesValue = *option == "v" || *option == "t" || *option == "d";
    if (takesValue && index + 1 >= args.size()) throw BadCommand("option /" + *option + " needs a value");
    if (*option == "v") SetOnce(&options.valueName, "v", args[++index]);
    if (*option == "ve") SetOnce(&options.valueName, "ve", "");
    if (*option == "t") SetOnce(&options.type, "t", args[++index]);
    if (*option == "d") SetOnce(&options.data, "d", args[++index]);
    if (*option == "va") SetOnce(&options.allValues, "va");
    if (*option == "s") SetOnce(&options.recursive, "s");
    if (*option == "f") SetOnce(&options.force, "f");
    if (*option == "y") SetOnce(&options.overwriteFile, "y");
  }
  if (options.allValues && options.valueName) throw BadCommand("/va goes with neither /v nor /ve");
  if (options.operands.size() != grammar->operands) {
    throw BadCommand(options.operation + (grammar->operands == 1 ? " takes one key" : " takes a key and a file"));
  }
  return options;
}

std::string RegistryErrorText(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return "The system was unable to find the specified registry key or value.";
    case ERROR_ACCESS_DENIED: return "Access is denied.";
    case ERROR_DISK_FULL: return "There is not enough space on the disk.";
    case ERROR_BADDB: return "The registry hive file is damaged.";
    case ERROR_KEY_DELETED: return "The key was deleted while it was in use.";
    case ERROR_LOCK_VIOLATION: return "Another process holds the registry locked.";
    default: return "The registry call failed with system error " + std::to_string(error) + ".";
  }
}

class Command {
 public:
  Command(const Options& options, const VxRegStreams& io) : m_options(options), m_io(io) {}

  int Run() {
    const std::optional<VxRegKeyName> name = ParseVxRegKeyName(m_options.operands.front());
    if (!name) throw BadCommand("invalid key name \"" + m_options.operands.front() + "\"");
    if (m_options.operation == "query") return Query(*name);
    if (m_options.operation == "add") return Add(*name);
    if (m_options.operation == "delete") return Delete(*name);
    return Export(*name, m_options.operands[1]);
  }

 private:
  int Fail(DWORD error) {
    m_io.err << "ERROR: " << RegistryErrorText(error) << "\n";
    return kVxRegFailed;
  }

  // Asks QUESTION unless /f (or /y) was given; true for a yes.
  bool Confirm(const std::string& question, bool forced) {
    if (forced) return true;
    m_io.out << question << " (Yes/No)? " << std::flush;
    std::string answer;
    if (!std::getline(m_io.in, answer)) {
      answer.clear();
      m_io.out << "\n";  // no answer came: end the question's line
    }
    while (!answer.empty() && std::isspace(static_cast<unsigned char>(answer.back()))) answer.pop_back();
    if (EqualNoCase(answer, "y") || EqualNoCase(answer, "yes")) return true;
    m_io.out << "The operation was cancelled.\n";
    return false;
  }

  void PrintValue(const RegValue& value) {
    m_io.out << kIndent << (value.name.empty() ? "(Default)" : value.name) << kIndent
             << VxRegTypeName(value.type) << kIndent << VxRegShowData(value.type, value.data) << "\n";
  }

  // The key's name, its values (or only the one asked for) and a blank line;
  // then its subkeys' names, or with /s their blocks. Counts the values shown.
  DWORD PrintKey(HKEY key, const VxRegKeyName& name, unsigned* shown) {
    std::vector<RegValue> values;
    std::vector<std::string> subKeys;
    if (const DWORD error = ListRegValues(key, &values)) return error;
    if (const DWORD error = ListRegSubKeys(key, &subKeys)) return error;
    std::vector<const RegValue*> picked;
    for (const RegValue& value : values) {
      if (!m_options.valueName || EqualNoCase(value.name, *m_options.valueName)) picked.push_back(&value);
    }
    if (!m_options.valueName || !picked.empty()) {
      m_io.out << name.FullName() << "\n";
      for (const RegValue* value : picked) PrintValue(*value);
      m_io.out << "\n";
    }
    *shown += static_cast<unsigned>(picked.size());
    for (const std::string& subKeyName : subKeys) {
      if (!m_options.recursive) {
        if (!m_options.valueName) m_io.out << name.Child(subKeyName).FullName() << "\n";
        continue;
      }
      HKEY subKey = nullptr;
      DWORD error = static_cast<DWORD>(RegOpenKeyExA(key, subKeyName.c_str(), 0, KEY_READ, &subKey));
      if (error == ERROR_FILE_NOT_FOUND) continue;  // deleted meanwhile
      if (error == ERROR_SUCCESS) {
        error = PrintKey(subKey, name.Child(subKeyName), shown);
        RegCloseKey(subKey);
      }
      if (error != ERROR_SUCCESS) return error;
    }
    return ERROR_SUCCESS;
  }

  int Query(const VxRegKeyName& name) {
    HKEY key = nullptr;
    if (const auto error = static_cast<DWORD>(RegOpenKeyExA(name.root, name.path.c_str(), 0, KEY_READ, &key))) {
      return Fail(error);
    }
    unsigned shown = 0;
    const DWORD error = PrintKey(key, name, &shown);
    RegCloseKey(key);
    if (error != ERROR_SUCCESS) return Fail(error);
    if (m_options.valueName && shown == 0) {
      if (!m_options.valueName->empty() || m_options.recursive) return Fail(ERROR_FILE_NOT_FOUND);
      m_io.out << name.FullName() << "\n"
               << kIndent << "(Default)" << kIndent << "REG_SZ" << kIndent << "(value not set)\n\n";
    }
    return kVxRegDone;
  }

  int Add(const VxRegKeyName& name) {
    const bool setsValue = m_options.valueName || m_options.type || m_options.data;
    const std::string valueName = m_options.valueName.value_or("");
    const std::string typeName = m_options.type.value_or("REG_SZ");
    const std::optional<DWORD> type = VxRegTypeOfName(typeName);
    if (!type) throw BadCommand("unknown type \"" + typeName + "\"");
    const std::optional<std::string> bytes = VxRegParseData(*type, m_options.data.value_or(""));
    if (!bytes) throw BadCommand("\"" + m_options.data.value_or("") + "\" is no data of type " + typeName);
    HKEY key = nullptr;
    if (const auto error = static_cast<DWORD>(RegCreateKeyExA(name.root, name.path.c_str(), 0, nullptr, 0,
                                                              KEY_ALL_ACCESS, nullptr, &key, nullptr))) {
      return Fail(error);
    }
    DWORD error = ERROR_SUCCESS;
    bool cancelled = false;
    if (setsValue) {
      const bool exists = RegQueryValueExA(key, valueName.c_str(), nullptr, nullptr, nullptr, nullptr) == 0;
      const std::string shownName = valueName.empty() ? "(Default)" : valueName;
      cancelled = exists && !Confirm("Value " + shownName + " exists, overwrite", m_options.force);
      if (!cancelled) {
        error = static_cast<DWORD>(RegSetValueExA(key, valueName.c_str(), 0, *type,
                                                  reinterpret_cast<const BYTE*>(bytes->data()),
                                                  static_cast<DWORD>(bytes->size())));
      }
    }
    RegCloseKey(key);
    if (cancelled) return kVxRegFailed;
    if (error != ERROR_SUCCESS) return Fail(error);
    m_io.out << kDone;
    return kVxRegDone;
  }

  int DeleteValues(const VxRegKeyName& name) {
    HKEY key = nullptr;
    if (const auto error = static_cast<DWORD>(RegOpenKeyExA(name.root, name.path.c_str(), 0,
                                                            KEY_QUERY_VALUE | KEY_SET_VALUE, &key))) {
      return Fail(error);
    }
    std::vector<RegValue> values;
    DWORD error = ListRegValues(key, &values);
    std::vector<std::string> doomed;
    for (const RegValue& value : values) {
      if (m_options.allValues || EqualNoCase(value.name, *m_options.valueName)) doomed.push_back(value.name);
    }
    if (error == ERROR_SUCCESS && doomed.empty() && !m_options.allValues) error = ERROR_FILE_NOT_FOUND;
    const std::string question = m_options.allValues
                                     ? "Delete all values under the registry key " + name.FullName()
                                     : "Delete the registry value " +
                                           (doomed.empty() || doomed.front().empty() ? "(Default)" : doomed.front());
    const bool confirmed = error == ERROR_SUCCESS && Confirm(question, m_options.force);
    for (std::size_t index = 0; confirmed && error == ERROR_SUCCESS && index < doomed.size(); ++index) {
      error = static_cast<DWORD>(RegDeleteValueA(key, doomed[index].c_str()));
    }
    RegCloseKey(key);
    if (error != ERROR_SUCCESS) return Fail(error);
    if (!confirmed) return kVxRegFailed;
    m_io.out << kDone;
    return kVxRegDone;
  }

  int Delete(const VxRegKeyName& name) {
    if (m_options.valueName || m_options.allValues) return DeleteValues(name);
    if (name.path.empty()) throw BadCommand("a root key cannot be deleted");
    HKEY key = nullptr;
    if (const auto error = static_cast<DWORD>(RegOpenKeyExA(name.root, name.path.c_str(), 0, KEY_READ, &key))) {
      return Fail(error);
    }
    RegCloseKey(key);
    if (!Confirm("Permanently delete the registry key " + name.FullName(), m_options.force)) return kVxRegFailed;
    if (const auto error = static_cast<DWORD>(RegDeleteTreeA(name.root, name.path.c_str()))) return Fail(error);
    m_io.out << kDone;
    return kVxRegDone;
  }

  int Export(const VxRegKeyName& name, const std::string& file) {
    HKEY key = nullptr;
    if (const auto error = static_cast<DWORD>(RegOpenKeyExA(name.root, name.path.c_str(), 0, KEY_READ, &key))) {
      return Fail(error);
    }
    std::ostringstream text;
    const DWORD error = WriteVxRegExport(text, key, name);
    RegCloseKey(key);
    if (error != ERROR_SUCCESS) return Fail(error);
    std::error_code ignored;
    if (std::filesystem::exists(file, ignored) &&
        !Confirm("File " + file + " already exists. Overwrite", m_options.overwriteFile)) {
      return kVxRegFailed;
    }
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << text.str();
    out.close();
    if (!out) {
      m_io.err << "ERROR: The file " << file << " cannot be written: " << std::strerror(errno) << "\n";
      return kVxRegFailed;
    }
    m_io.out << kDone;
    return kVxRegDone;
  }

  const Options& m_options;
  const VxRegStreams& m_io;
};

}  // namespace

int RunVxReg(const std::vector<std::string>& args, const VxRegStreams& io) {
  for (const std::string& arg : args) {
    if (arg == "/?" || arg == "-?" || arg == "-h" || arg == "--help") {
      io.out << kUsage;
      return kVxRegDone;
    }
  }
  try {
    if (args.empty()) throw BadCommand("no operation given");
    const Options options = ParseOptions(args);
    return Command(options, io).Run();
  } catch (const BadCommand& bad) {
    io.err << "ERROR: Invalid syntax: " << bad.Reason() << ".\nType \"vxreg /?\" for usage.\n";
    return kVxRegBadCommand;
  }
}
