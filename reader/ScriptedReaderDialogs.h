// The reader's dialogs for tests: answers come from queues the test fills, and
// every dialog shown is recorded as the user saw it. An empty queue cancels.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "reader/ReaderDialogs.h"

class ScriptedReaderDialogs : public ReaderDialogFrontEnd {
 public:
  struct FirmCodeView {
    std::string archiveName;
    std::vector<std::string> entries;
    int selection;
  };
  struct FileSelectView {
    std::string fileLine;
    std::string documentLine;
    std::string path;
    bool updateRegistryEnabled;
    bool updateRegistry;
  };

  // The next firm-code dialog selects entry SELECTION (unless -1) and presses BUTTON.
  void QueueFirmCodeAnswer(int button, int selection = -1) {
    m_firmCodeAnswers.push_back({button, selection});
  }
  // The next wait of the file dialog enters PATH and sets the check box (each
  // when given), then presses BUTTON.
  void QueueFileSelectAnswer(int button, std::optional<std::string> path = std::nullopt,
                             std::optional<bool> updateRegistry = std::nullopt) {
    m_fileSelectAnswers.push_back({button, std::move(path), updateRegistry});
  }
  // The next file-open dialog chooses PATH, or is cancelled (nullopt).
  void QueueFileToOpen(std::optional<std::string> path) { m_filesToOpen.push_back(std::move(path)); }

  int WaitForFirmCodeButton(DlgFirmCode& dialog) override;
  int WaitForFileSelectButton(DlgFileSelect& dialog) override;
  bool ChooseFileToOpen(const FileOpenRequest& request, std::string& path) override;

  std::vector<FirmCodeView> firmCodeViews;
  std::vector<FileSelectView> fileSelectViews;
  std::vector<FileOpenRequest> fileOpenRequests;

 private:
  struct FirmCodeAnswer {
    int button;
    int selection;
  };
  struct FileSelectAnswer {
    int button;
    std::optional<std::string> path;
    std::optional<bool> updateRegistry;
  };

  std::deque<FirmCodeAnswer> m_firmCodeAnswers;
  std::deque<FileSelectAnswer> m_fileSelectAnswers;
  std::deque<std::optional<std::string>> m_filesToOpen;
};
