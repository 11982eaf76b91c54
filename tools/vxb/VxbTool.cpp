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
constexpr std::uint32_t kMissingSpecification = 2024;  // "missing specification"
constexpr std::uint32_t kOutOfMemory = 1014;  // "no more RAM available"

constexpr std::string_view kUsage =
    "usage: vxb COMMAND ...\n"
    "\n"
    "  vxb pack DIR -o FILE.vxb --name NAME [--title TEXT] [--copyright TEXT]\n"
    "           [--firm-code N] [--start PATH]\n"
    "                          pack the files below DIR into an archive\n"
    "  vxb ls [-l] FILE.vxb    list the topics (-l: number, size, stored size)\n"
    "  vxb info FILE.vxb       show name, title, firm code, date and sizes\n"
    "  vxb cat FILE.vxb TOPIC  write a topic (a path, or :NUMBER) to standard output\n"
    "  vxb extract FILE.vxb DIR\n"
    "                          write every topic into DIR\n"
    "  vxb verify FILE.vxb     check checksums, topic table and every topic\n"
    "  vxb lookup FILE.vxb REQUEST...\n"
    "                          find topics as the reader does, each request in the\n"
    "                          folder of the last page found; prints number and path\n"
    "  vxb index FILE.vxb      build the full-text index of the archive's pages\n"
    "  vxb search [-n N] FILE.vxb WORDS...\n"
    "                          the N best pages (10): path, title and snippet\n"
    "\n"
    "SOURCE_DATE_EPOCH sets the creation time that pack records.\n";

struct CommandEntry {
  std::string_view name;
  int (*run)(const Words&, Console&);
};

constexpr CommandEntry kCommands[] = {
    {"pack", Pack},       {"ls", List},         {"info", Info},     {"cat", Cat},
    {"extract", Extract}, {"verify", Verify},   {"lookup", Lookup},   {"index", Index},
    {"search", Search},
};

int Dispatch(const std::vector<std::string>& args, Console& console) {
  if (args.empty()) ThrowCommandLineError(kMissingSpecification, "command");
  const std::string& name = args[0];
  if (name == "help" || name == "--help" || name == "-h") {
    console.Out() << kUsage;
    return kSuccess;
  }
  for (const CommandEntry& command : kCommands) {
    if (command.name == name) return command.run({args.begin() + 1, args.end()}, console);
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
