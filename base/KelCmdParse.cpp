#include "base/KelCmdParse.h"

#include <algorithm>

#include "base/KelApp.h"
#include "base/KelErrorMessage.h"
#include "base/KelException.h"

namespace {

unsigned char ToLower(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c; }

// Sets the default location of the program's message object for the lifetime
// of the object and restores it afterwards.
class DefaultLocationScope {
 public:
  explicit DefaultLocationScope(const std::string& location) {
    if (CKelApp* app = CKelApp::GetFrame(); app && app->GetErrorMessage()) {
      m_message = app->GetErrorMessage();
      m_saved = m_message->m_defaultLocation;
      m_message->m_defaultLocation = location;
    }
  }
  ~DefaultLocationScope() {
    if (m_message) m_message->m_defaultLocation = m_saved;
  }
  DefaultLocationScope(const DefaultLocationScope&) = delete;
  DefaultLocationScope& operator=(const DefaultLocationScope&) = delete;

 private:
  CKelErrorMessage* m_message = nullptr;
  std::string m_saved;
};

std::string CurrentDefaultLocation() {
  CKelApp* app = CKelApp::GetFrame();
  return (app && app->GetErrorMessage()) ? app->GetErrorMessage()->m_defaultLocation
                                         : std::string();
}

}  // namespace

bool CKelCmdParse::IsOptionChar(unsigned char c) const {
  return c != 0 && m_optionChars.find(static_cast<char>(c)) != std::string::npos;
}

const char* CKelCmdParse::OptionTextEnd() const {
  const char* p = m_pOptionStart;
  if (*p) ++p;
  while (*p && !IsBlankAt(p) && !IsOptionChar(static_cast<unsigned char>(*p))) ++p;
  return p;
}

std::string CKelCmdParse::GetOptionText() const {
  return m_pOptionStart ? std::string(m_pOptionStart, OptionTextEnd()) : std::string();
}

bool CKelCmdParse::HandleOption() {
  m_pTokenStart = m_pOptionStart;
  m_pTokenEnd = OptionTextEnd();
  ThrowAtToken(2023);
}

void CKelCmdParse::OnOptionError(CKelException* e) { throw e; }

unsigned char CKelCmdParse::ParseOptions() {
  for (;;) {
    const unsigned char c = SkipBlanks();
    if (!IsOptionChar(c)) return c;
    m_pOptionStart = m_pCursor;
    try {
      ParseOneOption();
    } catch (CKelException* e) {
      HandleOptionException(e);
      m_pCursor = std::max(m_pCursor, OptionTextEnd());
    }
  }
}

void CKelCmdParse::ParseOneOption() {
  ++m_pCursor;
  m_pTokenStart = m_pOptionStart;
  m_pTokenEnd = OptionTextEnd();
  const unsigned char letter = static_cast<unsigned char>(*m_pCursor);
  if (letter == 0) ThrowAtToken(2001);
  ++m_pCursor;
  m_current = ToLower(letter);
  if (!HandleOption()) {
    m_pTokenStart = m_pOptionStart;
    m_pTokenEnd = OptionTextEnd();
    ThrowAtToken(2001);
  }
  const unsigned char next = LookAt();
  if (next != 0 && !IsBlankAt(m_pCursor) && !IsOptionChar(next)) {
    m_pTokenStart = m_pOptionStart;
    MarkTokenEnd(kTokenToBlank);
    ThrowAtToken(2002);
  }
}

void CKelCmdParse::HandleOptionException(CKelException* e) {
  if (e->m_code < 2000) throw e;  // file errors pass untouched
  if (e->m_code == 2002 && IsOptionChar(static_cast<unsigned char>(*m_pCursor))) e->m_code = 2003;
  m_lastError = e->m_code;

  const std::string option = "option " + vxs::ShortenForLocation(GetOptionText());
  const std::string outer = CurrentDefaultLocation();
  const std::string location = outer.empty() ? option : outer + ", " + option;
  if (e->m_location.empty()) e->m_location = location;

  DefaultLocationScope scope(location);
  try {
    OnOptionError(e);
  } catch (CKelException* thrown) {
    if (thrown != e) e->Delete();
    throw;
  } catch (...) {
    e->Delete();
    throw;
  }
  e->Delete();
}

int CKelCmdParse::CheckServerSwitch() {
  const char* saved = m_pCursor;
  int result = 2;
  if (IsOptionChar(SkipBlanks())) {
    ++m_pCursor;
    switch (ReadKeyword("regserver\tunregserver", kKeywordWhole | kKeywordDigits)) {
      case 1: result = 1; break;
      case 2: result = 0; break;
      default: break;
    }
  }
  m_pCursor = saved;
  LookAt();
  return result;
}
