// CKelCmdParse: the scanner for command lines. Adds options, introduced by one
// of the option characters ("/" or "-"), handled one at a time by HandleOption.
#pragma once

#include <cstdint>
#include <string>

#include "base/KelParse.h"

class CKelException;

class CKelCmdParse : public CKelParse {
 public:
  explicit CKelCmdParse(const char* text = "") : CKelParse(text) {}

  // Handles the options at the cursor, one after another; returns the first
  // character that does not begin an option (0 at the end of the text), with
  // the cursor on it.
  unsigned char ParseOptions();
  // 1 when the next word behind an option character is regserver, 0 for
  // unregserver, 2 for anything else; the cursor is left where it was.
  int CheckServerSwitch();

  std::uint32_t GetLastErrorCode() const { return m_lastError; }
  const std::string& GetOptionChars() const { return m_optionChars; }
  void SetOptionChars(std::string chars) { m_optionChars = std::move(chars); }
  bool IsOptionChar(unsigned char c) const;

 protected:
  // Called with the option letter (lower case) as the current character and
  // the cursor behind it; reads the option's argument. False for an option it
  // does not know. The token is the option text, so ThrowAtToken names the
  // option. The default throws 2023 at the option.
  virtual bool HandleOption();
  // Called with an option error (code 2000 or above) whose location has been
  // set. The default throws it on. A handler that returns has dealt with it:
  // ParseOptions deletes it and goes on behind the faulty option.
  virtual void OnOptionError(CKelException* e);

  // The option text: from its option character up to the next blank or option
  // character.
  std::string GetOptionText() const;

  const char* m_pOptionStart = nullptr;
  std::uint32_t m_lastError = 0;
  std::string m_optionChars = "/-";

 private:
  void ParseOneOption();
  void HandleOptionException(CKelException* e);
  const char* OptionTextEnd() const;
};
