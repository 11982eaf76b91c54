// The cursor-based scanner shared by CKelParse (zero-terminated text, throws
// CKelException) and vxs::Parsing (standard strings, throws vxs::Exception). It
// reads blanks, keywords, numbers, GUIDs, byte strings, quoted strings and file
// specifications. Every syntax error names the offending piece of input as its
// argument 1. The scanner never reads beyond the zero that ends its text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/PathSyntax.h"
#include "platform/WinTypes.h"

struct CKelFileSpecList;

namespace vxs {

// Length of the blank at P (0 when there is none): a space or a tab; with
// NOBREAKSPACE also the no-break space, written C2 A0 in UTF-8 or as a lone
// byte A0 (windows-1252 input). An A0 byte that continues a UTF-8 character
// (the second byte of "à", say) is not a blank. TEXT is where the text begins;
// nothing before it is read.
std::size_t BlankLength(const char* text, const char* p, bool noBreakSpace);

// Cuts TEXT to 27 bytes and "..." when it is longer than 30 (never inside a
// UTF-8 character), for option texts in error locations.
std::string ShortenForLocation(std::string_view text);

class TextScanner {
 public:
  // Flags of the primitives. kSkipBlanks (1) has the same meaning everywhere.
  static constexpr unsigned kSkipBlanks = 0x1;
  // ReadKeyword
  static constexpr unsigned kKeywordDigits = 0x2;
  static constexpr unsigned kKeywordWhole = 0x4;
  // ReadDecimal, ReadSigned, ReadNumber, ReadHexBytes
  static constexpr unsigned kHexadecimal = 0x2;
  static constexpr unsigned kSaturate = 0x4;
  static constexpr unsigned kAllDigits = 0x4;
  static constexpr unsigned kOctal = 0x8;
  // ReadString
  static constexpr unsigned kQuotesRequired = 0x2;
  static constexpr unsigned kEndAtBlank = 0x10;
  static constexpr unsigned kRaw = 0x20;
  static constexpr unsigned kLineBreaks = 0x40;
  // ReadGuid
  static constexpr unsigned kBraces = 0x800;
  // ReadFileSpec and ParseFileSpecList
  static constexpr unsigned kWildcards = 0x100;
  static constexpr unsigned kRestIsName = 0x400;
  static constexpr unsigned kFullPath = 0x2000;
  static constexpr unsigned kSubfolders = 0x4000;
  static constexpr unsigned kEndAtOption = 0x8000;

  // Kind bits reported by ReadFileSpec.
  static constexpr unsigned kKindExtension = 0x1;
  static constexpr unsigned kKindName = 0x2;
  static constexpr unsigned kKindFolder = 0x4;
  static constexpr unsigned kKindDrive = 0x8;
  static constexpr unsigned kKindWildcards = 0x100;

  // MarkTokenEnd and GetToken modes.
  static constexpr int kTokenToTextEnd = 0;
  static constexpr int kTokenToBlank = 1;
  static constexpr int kTokenToCursor = 2;
  static constexpr int kTokenToBlankOrCursor = 3;

  // Longest file specification, without the terminating zero: the system's.
  static constexpr std::size_t kMaxFileSpec = kMaxPathLength;

  TextScanner(const TextScanner&) = delete;
  TextScanner& operator=(const TextScanner&) = delete;
  virtual ~TextScanner() = default;

  const char* GetCursor() const { return m_pCursor; }
  // Moves the cursor; P must point into the text or at its terminating zero.
  void SetCursor(const char* p) { m_pCursor = p; }
  bool AtEnd() const { return *m_pCursor == '\0'; }
  // The character at the cursor (0 at the end), remembered as the current one.
  unsigned char LookAt();
  unsigned char GetCurrent() const { return m_current; }
  bool IsBlankAt(const char* p) const { return BlankLength(p) != 0; }

  // Skips blanks; returns the character at the cursor then.
  unsigned char SkipBlanks();
  void MarkTokenEnd(int mode);
  std::string GetToken(int mode);
  void SetTokenStart(const char* p) { m_pTokenStart = p; }
  // Throws code CODE with the token text as argument 1.
  [[noreturn]] void ThrowAtToken(std::uint32_t code, std::string arg2 = {});

  // Position (from 1) of the word at the cursor in LIST (tab-separated lower-case
  // keywords); 0 when no word stands there; -1 when it matches none (the cursor
  // is put back to the word). An abbreviation that two keywords share: 2025;
  // a word that is a whole keyword always selects that keyword.
  int ReadKeyword(std::string_view list, unsigned flags = 0);
  // At least one digit (else 2020); beyond 32 bits or above a non-zero MAXIMUM:
  // 2005 (kSaturate: overflow gives 4294967295).
  std::uint32_t ReadDecimal(unsigned flags = 0, std::uint32_t maximum = 0);
  // An optional sign and ReadDecimal; a non-zero MAXIMUM bounds the magnitude.
  std::int32_t ReadSigned(unsigned flags = 0, std::uint32_t maximum = 0);
  // "0x" introduces hexadecimal (kHexadecimal: always hexadecimal, no prefix),
  // with kOctal a leading 0 octal; else decimal. No hexadecimal digits: 2021.
  std::uint32_t ReadNumber(unsigned flags = 0, std::uint32_t maximum = 0);
  // Up to 2 * COUNT hexadecimal digits into BUFFER (cleared first), aligned to
  // its end; returns the bytes filled. kAllDigits: fewer digits throw 2021.
  std::size_t ReadHexBytes(BYTE* buffer, std::size_t count, unsigned flags = 0);
  // Groups 8-4-4-4-12 of hexadecimal digits, in braces (required with kBraces).
  void ReadGuid(GUID& out, unsigned flags = 0);
  // Reads one string, quoted or not; returns false when BeginString or
  // EndString refused it. MAXLENGTH 0 means no limit.
  bool ReadString(std::string& out, unsigned flags = 0, std::size_t maxLength = 0);
  // Reads one file specification; KIND receives its kind bits.
  void ReadFileSpec(std::string& out, unsigned flags = 0, unsigned* kind = nullptr,
                    const char* defaultExtension = nullptr, const char* baseFolder = nullptr);
  void ParseFileSpecList(CKelFileSpecList& list, const char* defaultExtension = nullptr,
                         unsigned flags = 0, bool allowSubfolderOption = false,
                         const char* baseFolder = nullptr);

 protected:
  TextScanner() = default;
  // Starts scanning TEXT (a null pointer reads as an empty text).
  void AttachText(const char* text);

  // Hooks of ReadString. BeginString and EndString get the output; EndString is
  // also called after an error. HandleEscape is offered every backslash escape
  // first, with the cursor behind the backslash; when it returns true it has
  // consumed the escape (never beyond the end of the text) and written its output.
  virtual bool BeginString(std::string& out);
  virtual bool EndString(std::string& out);
  virtual bool HandleEscape(std::string& out);

  // Throws a syntax error in the exception type of the concrete scanner (it
  // must throw).
  virtual void ThrowSyntaxError(std::uint32_t code, std::string arg1, std::string arg2,
                                std::string location) = 0;
  [[noreturn]] void RaiseSyntaxError(std::uint32_t code, std::string arg1, std::string arg2,
                                     std::string location);

  std::size_t BlankLength(const char* p) const;
  // Token from START to the first blank (or end), then throws CODE.
  [[noreturn]] void ThrowFrom(const char* start, std::uint32_t code);
  // Token from START to the cursor, then throws CODE.
  [[noreturn]] void ThrowUpToCursor(const char* start, std::uint32_t code);

  const char* m_pCursor = "";
  unsigned char m_current = 0;
  const char* m_pTokenStart = m_pCursor;
  const char* m_pTokenEnd = m_pCursor;
  const char* m_pText = m_pCursor;  // start of the text

 private:
  std::uint32_t ReadDigitsChecked(const char* tokenStart, unsigned base, unsigned flags,
                                  std::uint32_t maximum, std::uint32_t noDigitsCode);
  std::uint32_t ReadGuidNumber(std::uint32_t maximum);
  std::size_t ReadGuidBytes(BYTE* buffer, std::size_t count);
  void ExpectGuidChar(const char* guidStart, char c);

  void ReadStringBody(std::string& out, unsigned flags, std::size_t maxLength,
                      const char* start);
  void ReadUnquotedString(std::string& out, unsigned flags, std::size_t maxLength,
                          const char* start);
  void ReadQuotedPiece(std::string& out, unsigned flags, std::size_t maxLength,
                       const char* start);
  bool JoinNextPiece(std::string& out, unsigned flags);
  void ReadEscape(std::string& out, unsigned flags);
  void AppendStringChar(std::string& out, std::string_view chars, std::size_t maxLength,
                        const char* start);

  void ReadRawFileSpec(std::string& out, unsigned flags, unsigned& kind);
  void FinishFileSpec(std::string& out, unsigned flags, unsigned& kind,
                      const char* defaultExtension, const char* baseFolder,
                      const char* start);
  bool ReadListItem(CKelFileSpecList& list, const char* defaultExtension, unsigned flags,
                    bool allowSubfolderOption, const char* baseFolder, int& count,
                    bool& subfolderTaken);
  bool IsSubfolderSwitch() const;
  [[noreturn]] void ThrowTextAfterSpec();
};

}  // namespace vxs
