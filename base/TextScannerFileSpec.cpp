// ReadFileSpec and ParseFileSpecList: file specifications, alone or as a list
// of a folder, name patterns and the subfolder switch.
#include <cstring>

#include "base/KelFile.h"
#include "base/KelFileSpecList.h"
#include "base/TextScanner.h"

namespace vxs {

namespace {

unsigned char Byte(const char* p) { return static_cast<unsigned char>(*p); }
bool IsAsciiLetter(unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// Characters that end a specification whether quoted or not: control
// characters (tab to carriage return among them); unquoted, the redirection
// signs too, which inside quotes belong to the name as this system allows.
bool EndsSpec(unsigned char c, bool quoted) {
  return c < 0x20 || (!quoted && (c == '<' || c == '>' || c == '|'));
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Path text made from a relative specification and its base folder.
std::string OnBaseFolder(const std::string& spec, unsigned kind, const char* baseFolder) {
  if (!baseFolder || !*baseFolder || (kind & TextScanner::kKindDrive) ||
      (!spec.empty() && IsSeparator(spec[0]))) {
    return spec;
  }
  CKelFile path(baseFolder);
  path.AppendName(spec);
  return path.GetPath();
}

}  // namespace

void TextScanner::ReadFileSpec(std::string& out, unsigned flags, unsigned* kindOut,
                               const char* defaultExtension, const char* baseFolder) {
  if (flags & kSkipBlanks) SkipBlanks();
  const char* start = m_pCursor;
  unsigned kind = 0;
  ReadRawFileSpec(out, flags, kind);
  FinishFileSpec(out, flags, kind, defaultExtension, baseFolder, start);
  if (kindOut) *kindOut = kind;
  if (flags & kSkipBlanks) SkipBlanks();
  LookAt();
}

// Steps 1 to 4: the characters through the quote-aware source, the drive, the
// wildcards and the components; KIND receives the kind bits.
void TextScanner::ReadRawFileSpec(std::string& out, unsigned flags, unsigned& kind) {
  const char* start = m_pCursor;
  const bool wholeRest = flags & kRestIsName;
  bool quoted = false;
  bool wildcardSeen = false;
  std::size_t componentStart = 0;
  out.clear();
  kind = 0;
  for (;;) {
    unsigned char c = Byte(m_pCursor);
    if (c == '"' && quoted && m_pCursor[1] == '"') {
      ++m_pCursor;  // a double quote written twice inside quotes stands for itself
    } else if (c == '"') {
      ++m_pCursor;
      if (wholeRest) continue;
      if (quoted) break;  // a closing quote ends the file spec
      quoted = true;
      continue;
    }
    if (c == 0) {
      if (quoted) ThrowUpToCursor(start, 2006);
      break;
    }
    if (EndsSpec(c, quoted)) {
      if (quoted) ThrowFrom(start, 1016);
      break;
    }
    const bool asQuoted = quoted || wholeRest;
    if ((c == ' ' || c == '/') && !asQuoted) break;
    if (c == '/') c = '\\';
    if (c == '\\') {
      if (wildcardSeen) ThrowFrom(start, 1016);
      kind |= kKindFolder;
      componentStart = out.size() + 1;
    } else if (c == ':') {
      if (out.size() != 1 || !IsAsciiLetter(Byte(out.data()))) {
        ++m_pCursor;
        ThrowUpToCursor(start, out.find_first_of("\\:") == std::string::npos ? 1015 : 1016);
      }
      out[0] = static_cast<char>(out[0] & ~0x20);  // drive letter in upper case
      kind |= kKindDrive;
      componentStart = 2;
    } else if (c == '*' || c == '?') {
      if (!(flags & kWildcards)) ThrowFrom(start, 1016);
      wildcardSeen = true;
      kind |= kKindWildcards;
    }
    if (out.size() >= kMaxFileSpec) ThrowFrom(start, 1016);
    out += static_cast<char>(c);
    ++m_pCursor;
  }
  if (out.empty()) ThrowFrom(start, 2019);
  if (out.size() >= 2 && IsSeparator(out[0]) && IsSeparator(out[1])) kind |= kKindDrive;
  const std::string_view last = std::string_view(out).substr(componentStart);
  if (last == "." || last == "..") {
    kind |= kKindFolder;
  } else if (!last.empty()) {
    kind |= kKindName;
    if (last.find('.') != std::string_view::npos) kind |= kKindExtension;
  }
}

// Steps 5 and 6: the default extension and the full path.
void TextScanner::FinishFileSpec(std::string& out, unsigned flags, unsigned& kind,
                                 const char* defaultExtension, const char* baseFolder,
                                 const char* start) {
  if (defaultExtension && *defaultExtension && (kind & kKindName) && !(kind & kKindExtension)) {
    const std::string extension =
        (*defaultExtension == '.' ? "" : ".") + std::string(defaultExtension);
    if (out.size() + extension.size() <= kMaxFileSpec) {
      out += extension;
      kind |= kKindExtension;
    }
  }
  if (flags & kFullPath) {
    CKelFile path(OnBaseFolder(out, kind, baseFolder));
    path.MakeFullPath();
    if (path.GetPath().size() > kMaxFileSpec) ThrowUpToCursor(start, 1016);
    out = path.GetPath();
  }
}

void TextScanner::ParseFileSpecList(CKelFileSpecList& list, const char* defaultExtension,
                                    unsigned flags, bool allowSubfolderOption,
                                    const char* baseFolder) {
  list.Clear();
  list.flags = flags & kSubfolders;
  int count = 0;
  bool subfolderTaken = false;
  while (ReadListItem(list, defaultExtension, flags, allowSubfolderOption, baseFolder, count,
                      subfolderTaken)) {
  }
  LookAt();
}

// Reads the next item of a list (a specification or the subfolder switch);
// false at the end of the list.
bool TextScanner::ReadListItem(CKelFileSpecList& list, const char* defaultExtension,
                               unsigned flags, bool allowSubfolderOption,
                               const char* baseFolder, int& count, bool& subfolderTaken) {
  if (SkipBlanks() == 0) return false;
  const char* start = m_pCursor;
  if (allowSubfolderOption && IsSubfolderSwitch()) {
    m_pCursor += 2;
    if (count != 1 || subfolderTaken) ThrowUpToCursor(start, 2102);
    subfolderTaken = true;
    list.flags |= kSubfolders;
    return true;
  }
  const unsigned char c = LookAt();
  if ((flags & kEndAtOption) && (c == '/' || c == '-')) return false;
  if (c == '/') ThrowTextAfterSpec();  // an option where a specification belongs

  std::string spec;
  unsigned kind = 0;
  const unsigned specFlags = flags & (kWildcards | kRestIsName | kFullPath);
  ReadRawFileSpec(spec, specFlags, kind);
  if ((kind & kKindName) && CKelFile(OnBaseFolder(spec, kind, baseFolder)).FolderExists()) {
    kind = (kind & ~(kKindName | kKindExtension)) | kKindFolder;
  }
  if (count > 0 && (kind & kKindDrive)) ThrowUpToCursor(start, 2100);
  if (count > 0 && (kind & kKindFolder)) ThrowUpToCursor(start, 2101);
  // Later specifications are names in the base folder: only the first is made a full path.
  FinishFileSpec(spec, count == 0 ? specFlags : specFlags & ~kFullPath, kind, defaultExtension,
                 baseFolder, start);

  const DWORD storedKind = kind & CKelFileSpecEntry::kStoredKinds;
  if (count == 0) {
    CKelFile path(spec);
    list.baseFolder = (kind & kKindName) ? path.GetPart(12) : spec;
    if (kind & kKindName) list.entries.push_back({storedKind, path.GetPart(3)});
  } else {
    list.entries.push_back({storedKind, spec});
  }
  ++count;

  if (AtEnd() || IsBlankAt(m_pCursor)) return true;
  if (allowSubfolderOption && IsSubfolderSwitch()) return true;
  if (flags & kEndAtOption) return false;
  ThrowTextAfterSpec();
}

// A switch /s (or -s) at the cursor, ended by the end, a blank or an option sign.
bool TextScanner::IsSubfolderSwitch() const {
  const char* p = m_pCursor;
  if (*p != '/' && *p != '-') return false;
  if (p[1] != 's' && p[1] != 'S') return false;
  return p[2] == '\0' || p[2] == '/' || p[2] == '-' || IsBlankAt(p + 2);
}

// Text at the cursor that cannot follow a specification: 2001 for an option,
// with the location "option " and the option text; 1016 for anything else.
void TextScanner::ThrowTextAfterSpec() {
  const char* start = m_pCursor;
  m_pTokenStart = start;
  MarkTokenEnd(kTokenToBlank);
  std::string token = GetToken(kTokenToTextEnd);
  if (*start != '/') ThrowAtToken(1016);
  std::string location = "option " + ShortenForLocation(token);
  RaiseSyntaxError(2001, std::move(token), {}, std::move(location));
}

}  // namespace vxs
