// Command lines and file-spec lists: options with arguments of every kind the
// scanner reads (numbers, hex bytes, GUIDs, strings, keywords, file specs), then
// the file-spec list behind them. Input: three bytes of flags, then the command line.
#include "base/KelCmdParse.h"
#include "base/KelFileSpecList.h"
#include "base/Parsing.h"
#include "fuzz/FuzzSupport.h"

namespace {

class FuzzCmdParse : public CKelCmdParse {
 public:
  FuzzCmdParse(const char* text, unsigned flags, bool reportErrors)
      : CKelCmdParse(text), m_flags(flags), m_reportErrors(reportErrors) {}

 protected:
  bool HandleOption() override {
    switch (m_current) {
      case 'a':
        return true;
      case 'n':
        ReadNumber(m_flags & (kHexadecimal | kSaturate | kOctal), m_flags >> 8);
        return true;
      case 'd':
        ReadSigned(m_flags & kSaturate, 1000);
        return true;
      case 'h': {
        BYTE bytes[8];
        ReadHexBytes(bytes, sizeof bytes, m_flags & kAllDigits);
        return true;
      }
      case 'g': {
        GUID guid;
        ReadGuid(guid, m_flags & kBraces);
        return true;
      }
      case 's': {
        std::string text;
        ReadString(text, m_flags & (kQuotesRequired | kEndAtBlank | kRaw | kLineBreaks), 300);
        return true;
      }
      case 'k':
        ReadKeyword("all\tcurrent\tcurrentuser\tlist\tregserver\tunregserver", m_flags & 7);
        return true;
      case 'f': {
        std::string spec;
        unsigned kind = 0;
        ReadFileSpec(spec, (m_flags & (kWildcards | kRestIsName | kFullPath | kEndAtOption)) | kSkipBlanks,
                     &kind, ".vxb", (m_flags & 1) ? "/docs" : nullptr);
        if (spec.size() > kMaxFileSpec + 1) std::abort();
        return true;
      }
      default:
        return false;
    }
  }
  void OnOptionError(CKelException* e) override {
    if (!m_reportErrors) CKelCmdParse::OnOptionError(e);
  }

 private:
  unsigned m_flags;
  bool m_reportErrors;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::InputReader input(data, size);
  const unsigned flags = input.Number(3);
  const std::string line(input.Rest().substr(0, input.Rest().find('\0')));

  FuzzCmdParse parser(line.c_str(), flags, flags & 0x10000);
  (void)parser.CheckServerSwitch();
  fuzz::Expected([&] {
    parser.ParseOptions();
    CKelFileSpecList list;
    parser.ParseFileSpecList(list, (flags & 2) ? ".vxb" : nullptr,
                             flags & (vxs::TextScanner::kWildcards | vxs::TextScanner::kFullPath |
                                      vxs::TextScanner::kEndAtOption),
                             flags & 4, (flags & 8) ? "/docs" : nullptr);
  });
  if (parser.GetCursor() < line.c_str() || parser.GetCursor() > line.c_str() + line.size()) std::abort();

  // The same text through the standard-string scanner.
  vxs::Parsing parsing(line);
  fuzz::Expected([&] {
    std::string text;
    parsing.SkipBlanks();
    parsing.ReadString(text, flags & 0x70, 0);
    parsing.ReadNumber(flags & 0xE);
  });
  return 0;
}
