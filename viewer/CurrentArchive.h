// The archive the viewer shows: what the user last asked for (a file path or a
// vexost: URL), the URL the view navigates to, and whether the archive must
// still be handed to the reader control. One object for the process.
#pragma once

#include <cstdint>
#include <string>

// Where an archive is shown: the reader control that takes the hand-over and
// the view that navigates.
class ArchiveView {
 public:
  // Hands the archive to the reader module (SetData action 1). Throws on failure.
  virtual void HandOver(const std::string& name, const std::string& path, std::uint32_t firmCode,
                        const std::string& fourthText) = 0;
  virtual void Navigate(const std::string& url) = 0;

 protected:
  ~ArchiveView() = default;
};

class CurrentArchive {
 public:
  static constexpr std::uint32_t kCannotOpen = 1600;
  static constexpr std::uint32_t kWrongVersion = 1114;

  // Takes ARGUMENT: empty for nothing, a text beginning with "vexost:" (in any
  // case) as the URL itself, anything else as an archive file whose name and
  // firm code are read, to be handed over, and whose URL is the file's
  // (vexost://file:/path/name.vxb).
  // A file that is no readable archive raises CKelException 1600 (path, and the
  // version found when the archive's version is too new); the URL and the
  // pending hand-over then stay as they were.
  void Set(const std::string& argument);
  // Hands the archive over when that is pending, then navigates VIEW to the URL
  // when there is one.
  void Show(ArchiveView& view);

  bool IsHandOverPending() const { return m_pendingHandOver; }
  const std::string& GetArgument() const { return m_argument; }
  const std::string& GetArchiveName() const { return m_archiveName; }
  const std::string& GetPath() const { return m_path; }
  std::uint32_t GetFirmCode() const { return m_firmCode; }
  const std::string& GetUrl() const { return m_url; }

  // The process's one object.
  static CurrentArchive& Instance();

 private:
  bool m_pendingHandOver = false;
  std::string m_argument;
  std::string m_archiveName;
  std::uint32_t m_firmCode = 0xFFFFFFFF;
  std::string m_fourthText;
  std::string m_url;
  std::string m_path;  // the full path handed over
};
