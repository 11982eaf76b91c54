// The text of an INI file as a list of lines that can be looked up and changed
// while every line not changed keeps its bytes (comments, odd spacing, blank
// lines, the byte-order mark and the line ends of a hand-edited file).
//
// Reading rules: lines end in CR LF, LF or CR; a line "[name]" opens a section
// (blanks inside the brackets are ignored, a missing "]" is tolerated); a line
// beginning with ';' or '#' is a comment; any other line is an entry "key=value"
// (blanks around both ignored; a key alone has an empty value). Section and key
// names compare without regard to case; where one appears twice, the first counts.
// Lines before the first section belong to none.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

class IniDocument {
 public:
  explicit IniDocument(std::string_view text = {});

  std::string Text() const;

  // The section names in file order, each once.
  std::vector<std::string> SectionNames() const;
  // The keys of SECTION, each once, in file order.
  std::vector<std::string> Keys(std::string_view section) const;
  // The entries of SECTION as "key=value".
  std::vector<std::string> Entries(std::string_view section) const;
  // The value of KEY in SECTION, without surrounding blanks and without one pair
  // of matching quotes around it.
  std::optional<std::string> Value(std::string_view section, std::string_view key) const;

  // The changes tell whether the text changed.
  bool SetValue(std::string_view section, std::string_view key, std::string_view value);
  bool DeleteKey(std::string_view section, std::string_view key);
  bool DeleteSection(std::string_view section);
  // Replaces all lines of SECTION (comments too) by LINES; adds the section when missing.
  bool ReplaceSection(std::string_view section, const std::vector<std::string>& lines);

 private:
  enum class Kind { Blank, Comment, Section, Entry };
  struct Line {
    std::string text;  // as in the file, without its line end
    Kind kind = Kind::Blank;
    std::string name;   // section name or key
    std::string value;  // raw value of an entry
  };

  static Line ParseLine(std::string text);
  // Index of the header of the first section named NAME, or nothing.
  std::optional<std::size_t> FindSection(std::string_view name) const;
  // One past the last line of the section whose header is at HEADER.
  std::size_t SectionEnd(std::size_t header) const;
  std::optional<std::size_t> FindEntry(std::size_t header, std::string_view key) const;
  // Where a new entry of the section at HEADER goes: after its last non-blank line.
  std::size_t InsertionPoint(std::size_t header) const;
  std::size_t AppendSection(std::string_view name);

  std::string m_byteOrderMark;
  std::string m_lineEnd = "\n";
  std::vector<Line> m_lines;
};
