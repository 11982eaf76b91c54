#include "base/KelErrorMessage.h"

#include <cerrno>
#include <cstdio>

#include "base/BoundedText.h"
#include "base/MessageCodes.h"
#include "base/MessageText.h"
#include "platform/UserInterface.h"

namespace {

// The program's executable name (also the caption of its message boxes).
const char* ExecutableName() { return program_invocation_short_name; }

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

CKelErrorMessage::CKelErrorMessage(const KelMessageGroup* groups, std::uint32_t groupCount,
                                   const char* codePrefix)
    : m_groups(groups),
      m_groupCount(groupCount),
      m_flags(groupCount != 0 ? kBuiltInTexts : 0),
      m_codePrefix(codePrefix != nullptr ? codePrefix : vxs::kCodePrefix) {}

const char* CKelErrorMessage::Report(CKelException* exception) {
  m_length = 0;
  m_output[0] = '\0';
  if (exception == nullptr) return m_output;
  m_exception = exception;
  m_code = exception->m_code;
  if (m_code == vxs::kOutOfMemory) {
    ReportOutOfMemory();
    return m_output;
  }

  const std::uint32_t thrownCode = m_code;
  const bool generic = vxs::IsGenericCode(thrownCode);
  const char* text;
  const char* args[3];
  if (generic) {
    // The text travels in argument 1; the others move up (the last one twice).
    text = exception->m_arg1.c_str();
    args[0] = exception->m_arg2.c_str();
    args[1] = args[2] = exception->m_arg3.c_str();
    m_severity = vxs::SeverityOfCode(thrownCode);
  } else {
    text = GetMessageText();
    args[0] = exception->m_arg1.c_str();
    args[1] = exception->m_arg2.c_str();
    args[2] = exception->m_arg3.c_str();
  }

  FormatLocation();
  if (text == nullptr || *text == '\0') {
    text = nullptr;
    m_code = vxs::GenericCodeOf(m_code);
  }
  FormatSeverity();
  if (!generic) {
    char number[16];
    std::snprintf(number, sizeof number, "%u ", m_code);
    Append(m_codePrefix.c_str());
    Append(number);
  }
  Append(m_flags & kOneLine ? "- " : "- \n");
  if (text != nullptr) {
    AppendSubstituted(text, args, 3);
  } else {
    char undocumented[256];
    vxs::FormatUndocumented(undocumented, sizeof undocumented, thrownCode,
                            m_flags & kBuiltInTexts);
    Append(undocumented);
  }
  Append(".");
  if (!(m_flags & kOneLine)) CapitalizeLines();

  switch (m_flags & kOutputModeMask) {
    case kOutputMessageBox: ShowMessageBox(m_output); break;
    case kOutputConsole: ShowOnConsole(m_output); break;
    default: break;
  }
  return m_output;
}

// Told without building anything on the heap, straight into the output buffer.
void CKelErrorMessage::ReportOutOfMemory() {
  std::int32_t severity = m_severity;
  const char* text = GetMessageText();
  m_severity = severity;  // this path leaves the severity as it was
  char undocumented[64];
  if (text == nullptr || *text == '\0') {
    vxs::FormatUndocumented(undocumented, sizeof undocumented, m_code, m_flags & kBuiltInTexts);
    text = undocumented;
  }
  std::snprintf(m_output, sizeof m_output, "%s %s%u - %s.",
                vxs::SeverityWord(1, m_flags & kBuiltInTexts), m_codePrefix.c_str(), m_code, text);
  m_output[0] = AsciiUpper(m_output[0]);
  ShowMessageBox(m_output);
}

std::uint32_t CKelErrorMessage::ShowMessageBox(const char* text) {
  DWORD style;
  if (m_code == vxs::kOutOfMemory)
    style = MB_SYSTEMMODAL | MB_ICONSTOP;
  else
    style = m_severity >= 1 ? MB_ICONSTOP : MB_ICONEXCLAMATION;
  style |= m_buttons & MB_TYPEMASK;
  const char* caption = m_caption.empty() ? ExecutableName() : m_caption.c_str();
  int answer = MessageBoxA(text, caption, style, m_code);
  m_length = 0;
  m_output[0] = '\0';
  std::uint32_t buttons = m_buttons;
  if (buttons != 0) m_severity = answer;
  m_buttons = 0;
  return buttons;
}

void CKelErrorMessage::ShowOnConsole(const char* text) {
  std::fputs(text, stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

const char* CKelErrorMessage::GetMessageText() {
  m_severity = vxs::SeverityOfCode(m_code);
  if (!(m_flags & kBuiltInTexts)) {
    const char* text = LoadMessageText(m_code);
    return *text != '\0' ? text : nullptr;
  }
  if (m_groups == nullptr) return nullptr;
  for (std::uint32_t g = 0; g < m_groupCount; ++g) {
    const KelMessageGroup& group = m_groups[g];
    if (group.severity != m_severity && !(group.severity >= 1 && m_severity >= 1)) continue;
    for (std::uint32_t i = 0; i < group.count; ++i) {
      if (group.pairs[i].code == m_code) {
        m_severity = group.severity;
        return group.pairs[i].text;
      }
    }
  }
  return nullptr;
}

void CKelErrorMessage::FormatLocation() {
  const std::string& location =
      m_exception->m_location.empty() ? m_defaultLocation : m_exception->m_location;
  std::size_t start = m_length;
  if (m_flags & kExecutableName) {
    Append(ExecutableName());
    if (!location.empty()) Append(", ");
  }
  Append(location.c_str());
  if (m_length > start) Append(m_flags & kOneLine ? ": " : ":\n");
}

void CKelErrorMessage::FormatSeverity() {
  Append(vxs::SeverityWord(m_severity, m_flags & kBuiltInTexts));
  Append(" ");
}

void CKelErrorMessage::Append(const char* text) {
  m_length += CopyBounded(m_output + m_length, sizeof m_output - m_length, text);
}

void CKelErrorMessage::AppendSubstituted(const char* tmpl, const char* const* args, unsigned count) {
  m_length += SubstitutePlaceholders(m_output + m_length, sizeof m_output - m_length, tmpl, args, count);
}

void CKelErrorMessage::CapitalizeLines() {
  bool lineStart = true;
  for (std::size_t i = 0; i < m_length; ++i) {
    if (lineStart) m_output[i] = AsciiUpper(m_output[i]);
    lineStart = m_output[i] == '\n';
  }
}
