// The list dialog (dialog 103): the archives registered for the current user
// and for all users, one entry per archive name and firm code, with two check
// boxes that choose which placements are listed and a description of the
// selected archive. Open hands the selected archive to the browser.
//
// The class holds the dialog's logic only; a front-end (BrowseDialogFrontEnd)
// shows it and hands the user's actions to OnCheckBox, OnSelectionChange, OnOK
// and OnCancel.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "archive/VxbFile.h"
#include "platform/Dialog.h"
#include "registrar/DocumentOpen.h"

namespace stow {
class DocumentProfiling;
}

class BrowseDialogFrontEnd;

class DlgDocumentBrowse : public CDialog {
 public:
  static constexpr unsigned IDD = 103;
  // Control ids.
  static constexpr int kOpenButton = 1;
  static constexpr int kCloseButton = 2;
  static constexpr int kBuildDateField = 1008;
  static constexpr int kFirmCodeField = 1007;
  static constexpr int kTitleField = 1006;
  static constexpr int kCopyrightField = 1005;
  static constexpr int kPathField = 1004;
  static constexpr int kCurrentUserBox = 1010;
  static constexpr int kAllUsersBox = 1011;
  static constexpr int kListBox = 1012;

  static constexpr std::string_view kCaption = "Stowra Registration Browser";
  static constexpr std::string_view kListLabel = "&Registered Documents:";
  static constexpr std::string_view kCurrentUserText = "For &Current User";
  static constexpr std::string_view kAllUsersText = "For &All Users";
  static constexpr std::string_view kOpenText = "&Open";
  static constexpr std::string_view kCloseText = "Close";
  static constexpr std::string_view kGroupText = "Document Description";
  static constexpr std::string_view kTitleLabel = "&Title:";
  static constexpr std::string_view kCopyrightLabel = "Co&pyright:";
  static constexpr std::string_view kPathLabel = "&File Path:";
  static constexpr std::string_view kFirmCodeLabel = "&Firm Code:";
  static constexpr std::string_view kBuildDateLabel = "&Build Date:";

  // One catalog entry.
  struct Entry {
    std::string archiveName;
    int listIndex = -1;
    std::uint32_t firmCode = 0xFFFFFFFF;
    std::string path;
    bool detailsLoaded = false;
    bool allUsers = false;
    std::string title;
    std::string copyright;
    stow::ArchiveTime buildDate;  // year 0: none
  };
  // The texts of the description fields.
  struct Description {
    std::string title;
    std::string copyright;
    std::string path;
    std::string firmCode;
    std::string buildDate;
  };
  // Opens a request; a failure is raised as a foundation exception.
  using Opener = std::function<void(const registrar::OpenRequest&)>;

  // CATALOG must outlive the dialog. OPENER opens the selected archive.
  DlgDocumentBrowse(stow::DocumentProfiling& catalog, Opener opener);

  // Reads both placements, sorts and lists the entries.
  BOOL OnInitDialog() override;
  // The check box ID (kCurrentUserBox, kAllUsersBox) was set to CHECKED.
  void OnCheckBox(int id, bool checked);
  // The list box's selection became LISTINDEX.
  void OnSelectionChange(int listIndex);
  // Open: opens the selected archive and ends the dialog; on a failure the
  // error is reported and the dialog stays.
  void OnOK() override;
  void OnDoubleClick() { OnOK(); }

  // Runs the dialog modally through FRONTEND: IDOK or IDCANCEL.
  int DoModal(BrowseDialogFrontEnd& frontEnd);

  // The dialog as it stands.
  const std::vector<Entry>& GetEntries() const { return m_entries; }
  std::vector<std::string> GetListTexts() const;
  // The list box's selection (-1: none).
  int GetListSelection() const;
  bool IsChecked(int box) const { return box == kCurrentUserBox ? m_showCurrentUser : m_showAllUsers; }
  bool IsEnabled(int box) const {
    return box == kCurrentUserBox ? m_currentUserEnabled : m_allUsersEnabled;
  }
  bool IsOpenEnabled() const { return m_selected >= 0; }
  const Description& GetDescription() const { return m_description; }

  // The build date as the description shows it: the user's short date, ", "
  // and the time without seconds; "" for none.
  static std::string FormatBuildDate(const stow::ArchiveTime& time);

 private:
  void Fill();
  // Reads one placement; false when its catalog could not be read. An entry
  // without a readable path is left out (and noted in DAMAGED by ReadEntry).
  bool ReadPlacement(bool allUsers);
  bool ReadEntry(std::uint32_t firmCode, bool& damaged);
  void Sort();
  // Lists the entries of the checked placements; CHANGEDBOX is the box just
  // clicked (0 at initialisation).
  void List(int changedBox);
  void KeepSelection();
  void Refresh();
  void LoadDetails(Entry& entry);

  stow::DocumentProfiling& m_catalog;
  Opener m_opener;
  std::vector<Entry> m_entries;
  int m_selected = -1;  // index into m_entries
  bool m_showCurrentUser = true;
  bool m_showAllUsers = true;
  bool m_currentUserEnabled = true;
  bool m_allUsersEnabled = true;
  Description m_description;
};
