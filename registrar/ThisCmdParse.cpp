#include "registrar/ThisCmdParse.h"

#include <cstring>
#include <string>
#include <vector>
#include <memory>

#include "base/KelException.h"
#include "base/KelFile.h"
#include "base/KelFileSpecList.h"
#include "base/KelParse.h"
#include "platform/PathSyntax.h"
#include "registrar/ThisApp.h"

namespace {

constexpr std::size_t kMaxOpenArgument = kMaxPathLength;

// The request that the /O argument TOKEN makes: a file request when TOKEN, read
// as a path with default extension ".vxb" and made absolute, names an existing
// file; else a request by archive name.
registrar::OpenRequest OpenRequestOf(const std::string& token) {
  std::string path;
  try {
    // Quoted, since "/" would end an unquoted file spec.
    const std::string quoted = "\"" + token + "\"";
    CKelParse parser(quoted.c_str());
    parser.ReadFileSpec(path, vxs::TextScanner::kFullPath, nullptr, ".vxb");
  } catch (CKelException* e) {
    e->Delete();
    path.clear();
  }
  if (!path.empty() && CKelFile(path).Exists()) return {{}, 0xFFFFFFFF, path};
  return {token, 0xFFFFFFFF, {}};
}

}  // namespace

void ThisCmdParse::StopParsing() { SetCursor(GetCursor() + std::strlen(GetCursor())); }

void ThisCmdParse::ParseCommandLine() {
  if (ParseOptions() == 0 || m_app.m_parseError != 0) return;
  try {
    ReadTrailingList();
  } catch (CKelException* e) {
    if (e->m_code < 2000) throw;
    const std::unique_ptr<CKelException> owned(e);
    m_app.ReportCommandLineError(e);
  }
}

void ThisCmdParse::ReadTrailingList() {
  std::vector<CKelFileSpecList> lists = ReadLists();
  // The end of the line is checked first, so that a faulty line asks nothing.
  if (SkipBlanks() != 0) {
    SetTokenStart(GetCursor());
    MarkTokenEnd(kTokenToTextEnd);
    ThrowAtToken(2022);
  }
  for (CKelFileSpecList& list : lists) m_app.AddFileGroups(std::move(list), false);
}

std::vector<CKelFileSpecList> ThisCmdParse::ReadLists() {
  std::vector<CKelFileSpecList> lists;
  for (;;) {
    CKelFileSpecList list;
    bool complete = true;
    try {
      ParseFileSpecList(list, nullptr, kListFlags, true);
    } catch (CKelException* e) {
      // A later file spec with a folder of its own (a path the shell expanded
      // from a pattern) begins the next list.
      if (e->m_code != kFolderInLaterSpec || list.entries.empty()) throw;
      e->Delete();
      SetCursor(m_pTokenStart);
      complete = false;
    }
    const bool sameFolder = !lists.empty() && lists.back().baseFolder == list.baseFolder &&
                            !(lists.back().flags & CKelFileSpecList::kSubfolders);
    if (sameFolder) {
      lists.back().flags |= list.flags;
      lists.back().entries.insert(lists.back().entries.end(), list.entries.begin(), list.entries.end());
    } else {
      lists.push_back(std::move(list));
    }
    if (complete) return lists;
  }
}

bool ThisCmdParse::HandleOption() {
  m_app.m_nothingGiven = false;
  switch (GetCurrent()) {
    case 'i': ReadFileGroups(false); break;
    case 'u': ReadFileGroups(true); break;
    case 'a': m_app.m_placement = ThisApp::kAllUsers; break;
    case 'c': m_app.m_placement = ThisApp::kCurrentUser; break;
    case 'l': m_app.m_listDialog = true; break;
    case 'o': ReadOpenRequest(); break;
    case 't': m_app.Tidy(); break;
    case 'v': ReadOutputLevel(); break;
    case '-':  // --help, as programs here take it
      if (std::strncmp(GetCursor(), "help", 4) != 0 || (GetCursor()[4] != 0 && !IsBlankAt(GetCursor() + 4)))
        return false;
      SetCursor(GetCursor() + 4);
      [[fallthrough]];
    case 'h':
    case '?':
      m_app.m_helpRequested = true;
      StopParsing();
      break;
    default: return false;
  }
  return true;
}

void ThisCmdParse::ReadFileGroups(bool unregister) {
  std::vector<CKelFileSpecList> lists = ReadLists();
  if (lists.size() == 1 && lists[0].baseFolder.empty() && lists[0].entries.empty()) ThrowAtToken(2003);
  for (CKelFileSpecList& list : lists) m_app.AddFileGroups(std::move(list), unregister);
}

void ThisCmdParse::ReadOutputLevel() {
  const unsigned char c = LookAt();
  if (c >= '0' && c <= '4') {
    m_app.m_outputLevel = c - '0';
    SetCursor(GetCursor() + 1);
    return;
  }
  ThrowAtToken(c == 0 || IsBlankAt(GetCursor()) || IsOptionChar(c) ? 2003 : 2002);
}

void ThisCmdParse::ReadOpenRequest() {
  const unsigned char c = LookAt();
  if (c == ':') {
    SetCursor(GetCursor() + 1);
  } else if (c == 0 || IsOptionChar(c)) {
    ThrowAtToken(2003);
  } else if (!IsBlankAt(GetCursor())) {
    ThrowAtToken(2023);
  }
  const unsigned char first = SkipBlanks();
  if (first == 0 || (c != ':' && IsOptionChar(first))) ThrowAtToken(2003);
  std::string token;
  // Raw, so that backslashes in paths stay; the quotes are taken off here.
  ReadString(token, kEndAtBlank | kRaw, kMaxOpenArgument + 2);
  std::erase(token, '"');
  if (token.size() > kMaxOpenArgument) ThrowAtToken(2007);
  if (token.empty()) ThrowAtToken(2003);
  m_app.m_openRequests.push_back(OpenRequestOf(token));
}

void ThisCmdParse::OnOptionError(CKelException* e) {
  m_app.ReportCommandLineError(e);
  StopParsing();
}
