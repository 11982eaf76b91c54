// Composes the message of a CKelException and shows it: in a message box, on the
// console, or not at all (the caller takes the text).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "base/KelException.h"

// A built-in message group: texts by code, all of one severity.
struct KelMessagePair {
  std::uint32_t code;
  const char* text;
};
struct KelMessageGroup {
  const KelMessagePair* pairs;
  std::uint32_t count;
  std::int32_t severity;
};

class CKelErrorMessage {
 public:
  // Flags.
  static constexpr std::uint32_t kOutputMessageBox = 0;
  static constexpr std::uint32_t kOutputConsole = 1;
  static constexpr std::uint32_t kOutputComposeOnly = 2;  // any value from 2 to 7
  static constexpr std::uint32_t kOutputModeMask = 7;
  static constexpr std::uint32_t kOneLine = 8;            // ": " and "- " on one line, no capitals
  static constexpr std::uint32_t kExecutableName = 16;    // the program's name in front
  static constexpr std::uint32_t kBuiltInTexts = 32;      // texts from the groups, English words

  // Room of the composed message, in bytes.
  static constexpr std::size_t kOutputCapacity = 1024;

  // With GROUPCOUNT groups the texts come from GROUPS (flag 32, all other flags
  // clear); without, from the message table. CODEPREFIX (written before codes)
  // defaults to "VK", the prefix of every application descriptor.
  explicit CKelErrorMessage(const KelMessageGroup* groups = nullptr, std::uint32_t groupCount = 0,
                            const char* codePrefix = nullptr);
  CKelErrorMessage(const CKelErrorMessage&) = delete;
  CKelErrorMessage& operator=(const CKelErrorMessage&) = delete;
  virtual ~CKelErrorMessage() = default;

  // Composes the message of EXCEPTION and shows it by the output mode; returns the
  // composed text, which lasts until the next report (a message box empties it).
  // Out of memory (1014) is shown in a message box whatever the mode and gives "".
  // Set m_buttons before the call to ask a question: the answer lands in m_severity.
  virtual const char* Report(CKelException* exception);
  // Shows TEXT in a message box (icon by severity, buttons from m_buttons, help
  // context the current code); returns the buttons that were in force.
  virtual std::uint32_t ShowMessageBox(const char* text);
  // Writes TEXT and a line end to standard output.
  virtual void ShowOnConsole(const char* text);
  // The text of the current code (nullptr when it has none); sets the severity.
  virtual const char* GetMessageText();
  // Appends the location part.
  virtual void FormatLocation();
  // Appends the severity word and a blank.
  virtual void FormatSeverity();

  std::int32_t m_severity = 0;    // 1, 0, -1 by range; the answer after a question
  std::uint32_t m_buttons = 0;    // MB_ button set of the next report (low four bits)
  const KelMessageGroup* m_groups;
  std::uint32_t m_groupCount;
  std::uint32_t m_code = 0;       // code of the report under way (may turn generic)
  CKelException* m_exception = nullptr;
  char m_output[kOutputCapacity + 1] = {};
  std::uint32_t m_flags;
  std::string m_defaultLocation;  // used when the exception has no location
  std::string m_codePrefix;
  std::string m_caption;          // caption of its message boxes; empty: the executable's name

 protected:
  // Appends TEXT at the cursor (as much as fits, never half a character).
  void Append(const char* text);
  // Appends TEMPLATE with its placeholders replaced by ARGS.
  void AppendSubstituted(const char* tmpl, const char* const* args, unsigned count);

 private:
  void ReportOutOfMemory();
  void CapitalizeLines();

  std::size_t m_length = 0;  // write cursor in m_output
};
