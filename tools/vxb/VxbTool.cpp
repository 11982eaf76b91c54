#include "tools/vxb/VxbTool.h"

#include <memory>
#include <string_view>

#include "base/KelException.h"
#include "base/messages/MessageTable.h"
#include "tools/vxb/Arguments.h"
#include "tools/vxb/Commands.h"

namespace vxb {

namespace {

constexpr std::uint32_t kBadSpecification = 2023;  // "bad specification: %1"
constexpr std::uint32_t kOutOfMemory = 1014;  // "no more RAM available"

struct CommandEntry {
  std::string_view name;
  int (*run)(const Words&, Console&);
  std::string_view usage;  // its lines in the usage text
};

constexpr CommandEntry kCommands[] = {
    {"pack", Pack,
     "  vxb pack DIR -o FILE.vxb --name NAME [--title TEXT] [--copyright TEXT]\n"
     "           [--firm-code N] [--start PATH] [--force]\n"
     "                          pack the files below DIR into an archive; --force\n"
     "                          replaces a read-only FILE.vxb\n"},
    {"ls", List, "  vxb ls [-l] FILE.vxb    list the topics (-l: number, size, stored size)\n"},
    {"info", Info, "  vxb info FILE.vxb       show name, title, firm code, date and sizes\n"},
    {"cat", Cat,
     "  vxb cat FILE.vxb TOPIC  write a topic (a path, or :NUMBER) to standard output\n"},
    {"extract", Extract,
     "  vxb extract FILE.vxb DIR\n"
     "                          write every topic into DIR\n"},
    {"verify", Verify,
     "  vxb verify FILE.vxb     check checksums, topic table, every topic's lookup\n"
     "                          by path and its data\n"},
    {"lookup", Lookup,
     "  vxb lookup FILE.vxb REQUEST...\n"
     "                          find topics as the reader does (as written, else in\n"
     "                          the folder of the last page found); prints number\n"
     "                          and path\n"},
    {"index", Index,
     "  vxb index FILE.vxb      build the full-text index of the archive's pages\n"},
    {"search", Search,
     "  vxb search [-n N] FILE.vxb WORDS...\n"
     "                          the N best pages (10): path, title and snippet\n"},
};

constexpr std::string_view kUsageEnd =
    "\n"
    "vxb help shows this text, vxb --version the version. SOURCE_DATE_EPOCH sets\n"
    "the creation time that pack records. Exit status: 0 done, 1 failed (or an\n"
    "archive is damaged, a topic not found), 2 bad command line.\n";

void WriteUsage(std::ostream& out, const CommandEntry* only = nullptr) {
  out << "usage: vxb COMMAND ...\n\n";
  for (const CommandEntry& command : kCommands)
    if (!only || only == &command) out << command.usage;
  if (!only) out << kUsageEnd;
}

bool AsksForHelp(std::string_view word) {
  return word == "help" || word == "--help" || word == "-h" || word == "/?" || word == "-?";
}

// Whether the words of a command ask for its usage: --help or -h among its options.
bool CommandAsksForHelp(const std::vector<std::string>& args) {
  for (std::size_t i = 1; i < args.size() && args[i] != "--"; ++i)
    if (args[i] == "--help" || args[i] == "-h") return true;
  return false;
}

int Dispatch(const std::vector<std::string>& args, Console& console) {
  if (args.empty()) {
    WriteUsage(console.Err());
    return kBadCommandLine;
  }
  const std::string& name = args[0];
  if (AsksForHelp(name)) {
    WriteUsage(console.Out());
    return kSuccess;
  }
  if (name == "--version" || name == "-V" || name == "version") {
    console.Out() << "vxb " VXST_VERSION "\n";
    return kSuccess;
  }
  for (const CommandEntry& command : kCommands) {
    if (command.name != name) continue;
    if (CommandAsksForHelp(args)) {
      WriteUsage(console.Out(), &command);
      return kSuccess;
    }
    return command.run({args.begin() + 1, args.end()}, console);
  }
  ThrowCommandLineError(kBadSpecification, "command", name);
}

}  // namespace

}  // namespace vxb

int RunVxb(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           bool progressBar) {
  InstallMessageTable();
  vxb::Console console(out, err, progressBar);
  try {
    return vxb::Dispatch(args, console);
  } catch (CKelException* e) {
    const std::unique_ptr<CKelException> failure(e);
    console.Report(*failure);
    const bool commandLine = failure->m_code >= 2000 && failure->m_code < 4000;
    if (commandLine) err << "Try 'vxb help' for the commands and their options.\n";
    return commandLine ? vxb::kBadCommandLine : vxb::kFailure;
  } catch (CException* e) {
    e->Delete();
    CKelException memory(vxb::kOutOfMemory);
    console.Report(memory);
    return vxb::kFailure;
  }
}
