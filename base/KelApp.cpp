#include "base/KelApp.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "base/ConsoleBreak.h"
#include "base/KelErrorMessage.h"
#include "base/KelException.h"
#include "base/KelFile.h"
#include "base/ReportException.h"
#include "base/SystemInfo.h"
#include "base/TextScanner.h"
#include "platform/Language.h"

namespace {

CKelApp* g_frame = nullptr;

struct HelpLanguage {
  int id;
  const char* suffix;
};

constexpr HelpLanguage kHelpLanguages[] = {
    {0x09, "Us"},  {0x01, "Sa"}, {0x804, "Cn"}, {0x06, "Dk"}, {0x13, "Nl"}, {0x0C, "Fr"},
    {0x07, "De"},  {0x08, "Gr"}, {0x10, "It"},  {0x0E, "Hu"}, {0x11, "Jp"}, {0x12, "Ko"},
    {0x16, "Br"},  {0x0A, "Es"}, {0x1D, "Se"},  {0x404, "Tw"},
};

const char* FindHelpSuffix(int id) {
  for (const HelpLanguage& entry : kHelpLanguages) {
    if (entry.id == id) return entry.suffix;
  }
  return nullptr;
}

bool HoldsBlank(const char* text) {
  for (const char* p = text; *p; ++p) {
    if (vxs::BlankLength(text, p, true)) return true;
  }
  return false;
}

bool GluedOptions(const char* arg);

// Whether ARG is a path with "/" separators rather than an option. The command
// line's parsers end an unquoted file spec at "/", their option sign, so such a
// path travels in double quotes. An argument that begins with an option sign
// is an option ("/i", "-v0", "/o:/home/a/x.vxb") unless its text before the
// first ':' holds another "/" ("/home/a/x.vxb").
bool IsSlashPath(const char* arg) {
  if (arg[0] != '/' && arg[0] != '-') return std::strchr(arg, '/') != nullptr;
  if (GluedOptions(arg) && !CKelFile(arg).Exists() && !CKelFile(arg).FolderExists()) return false;
  for (const char* p = arg + 1; *p && *p != ':'; ++p) {
    if (*p == '/') return true;
  }
  return false;
}

// Whether ARG is options written together ("/V2/V0", "/C/I"): each a "/", a
// letter or "?" and at most one digit.
bool GluedOptions(const char* arg) {
  for (const char* p = arg; *p;) {
    if (*p != '/' || !(std::isalpha(static_cast<unsigned char>(p[1])) || p[1] == '?')) return false;
    p += 2;
    if (std::isdigit(static_cast<unsigned char>(*p))) ++p;
  }
  return true;
}

// The length of ARG without a subfolder switch glued to its end ("docs/*.vxb/S"):
// the switch counts as one where what stands before it cannot be a folder (its
// last part holds wildcards, or it names a file).
std::size_t LengthBeforeSwitch(const std::string& arg) {
  const std::size_t length = arg.size();
  if (length < 3 || arg[length - 2] != '/' || (arg[length - 1] != 's' && arg[length - 1] != 'S'))
    return length;
  const std::string before = arg.substr(0, length - 2);
  const std::size_t lastPart = before.find_last_of('/') + 1;
  const bool wildcards = before.find_first_of("*?", lastPart) != std::string::npos;
  return wildcards || CKelFile(before).Exists() ? length - 2 : length;
}

// Characters that end an unquoted word of the command line's parsers.
bool HoldsWordEnd(const char* text) { return std::strpbrk(text, "\"<>|") != nullptr; }

bool HasFolder(const std::string& path) { return path.find_first_of("\\/:") != std::string::npos; }

// The folder part of PATH (without its last separator).
std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

}  // namespace

CKelApp::CKelApp(const KelAppDescriptor* descriptor)
    : CWinApp(descriptor ? descriptor->appName : nullptr),
      m_pDescriptor(descriptor),
      m_language(GetUserDefaultLangID()) {
  const vxs::SystemInfoImpl& info = vxs::SystemInfo();
  m_systemVersion = {info.IsNtFamily(), info.GetMajorVersion(), info.GetMinorVersion(),
                     info.GetSystemName(), info.GetSystemRelease()};
  g_frame = this;
}

CKelApp::~CKelApp() {
  vxs::DisableConsoleBreak(this);
  if (g_frame == this) g_frame = nullptr;
}

CKelApp* CKelApp::GetFrame() { return g_frame; }

const char* CKelApp::GetAppName() const {
  return (m_pDescriptor && m_pDescriptor->appName) ? m_pDescriptor->appName : m_pszAppName;
}

void CKelApp::SetErrorMessage(CKelErrorMessage* message) { m_pErrorMessage.reset(message); }

bool CKelApp::InitInstance() {
  vxs::InstallConsoleBreakHandler();
  vxs::EnableConsoleBreak(this);
  const AfxProgramArgs& args = AfxGetProgramArgs();
  if (args.argv) SetCommandLine(SkipProgramName(BuildCommandLine(args.argc, args.argv).c_str()));
  return true;
}

int CKelApp::ExitInstance() { return CWinApp::ExitInstance(); }

void CKelApp::SetCommandLine(std::string commandLine) {
  m_commandLine = std::move(commandLine);
  m_lpCmdLine = m_commandLine.c_str();
}

std::string CKelApp::BuildCommandLine(int argc, const char* const* argv) {
  std::string line;
  for (int i = 0; i < argc && argv[i]; ++i) {
    if (i > 0) line += ' ';
    const std::string arg = argv[i];
    const std::size_t length = i > 0 ? LengthBeforeSwitch(arg) : arg.size();
    const std::string word = arg.substr(0, length);
    const bool quote = word.empty() || HoldsBlank(word.c_str()) || HoldsWordEnd(word.c_str()) ||
                       (i > 0 && IsSlashPath(word.c_str()));
    if (quote) line += '"';
    // A double quote inside quotes is written twice.
    for (const char c : word) line += quote && c == '"' ? std::string(2, c) : std::string(1, c);
    if (quote) line += '"';
    line += arg.substr(length);
  }
  return line;
}

std::string CKelApp::SkipProgramName(const char* commandLine) {
  if (!commandLine) return {};
  bool quoted = false;
  const char* p = commandLine;
  for (; *p; ++p) {
    if (*p == '"') quoted = !quoted;
    else if (!quoted && vxs::BlankLength(commandLine, p, true)) break;
  }
  return p;
}

int CKelApp::ProcessMainLoopException(CException* e) {
  if (!e->IsKindOf<CKelException>() && !e->IsKindOf<CKelAbortException>() &&
      !e->IsKindOf<CMemoryException>()) {
    throw e;
  }
  const int result = ReportException(e);
  e->Delete();
  return result;
}

int CKelApp::ReportException(CException* e) {
  if (!m_pErrorMessage) m_pErrorMessage = std::make_unique<CKelErrorMessage>();
  return ReportFrameworkException(*m_pErrorMessage, e);
}

std::string CKelApp::ModuleFilePath() {
  // An object of internal linkage: its address lies in the module that holds
  // this code even when another module exports the same functions.
  return vxs::ModuleFilePath(&g_frame);
}

void CKelApp::MakeCompanionFilePath(std::string& path, const char* extension) {
  path = ModuleFilePath();
  const std::size_t nameStart = path.find_last_of('/') + 1;
  const std::size_t dot = path.find_last_of('.');
  if (dot != std::string::npos && dot >= nameStart) path.erase(dot);
  path += '.';
  path += extension ? extension : "";
}

void CKelApp::MakeModulePath(std::string& name) {
  const std::string folder = FolderOf(ModuleFilePath());
  name = folder + "/" + name;
}

const char* CKelApp::HelpLanguageSuffix(int language) {
  if (const char* suffix = FindHelpSuffix(language)) return suffix;
  if (const char* suffix = FindHelpSuffix(PRIMARYLANGID(static_cast<LANGID>(language)))) {
    return suffix;
  }
  return "Us";
}

void CKelApp::GetHelpFilePath(std::string& path, bool compiledHelp, int language) {
  if (!HasFolder(path)) MakeModulePath(path);
  if (language == -1) language = m_language;
  const char* extension = compiledHelp ? ".chm" : ".hlp";
  if (PRIMARYLANGID(static_cast<LANGID>(language)) == 0) {
    path += extension;
    return;
  }
  const std::string name = path;
  path = name + HelpLanguageSuffix(language) + extension;
  if (!CKelFile(path).Exists()) path = name + "Us" + extension;
}

bool CKelApp::OnConsoleAbort(int) {
  std::printf("\n%s: Program aborted.\n", GetAppName());
  std::fflush(stdout);
  return false;
}
