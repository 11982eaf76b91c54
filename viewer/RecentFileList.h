// The archive files the viewer opened lately, offered again under File > Recent
// archives: kept in the viewer's profile next to its window placement, in the
// section "Recent File List" as the texts "File1" (the latest) to "File4", as
// the application framework keeps an application's recent files.
#pragma once

#include <string>
#include <vector>

#include "platform/AppProfile.h"

class RecentFileList {
 public:
  static constexpr const char* kSection = "Recent File List";
  static constexpr std::size_t kSize = 4;

  explicit RecentFileList(const AppProfile& profile) : m_profile(profile) {}

  // The files, the latest first: no empty entries, each path once.
  std::vector<std::string> Read() const;
  // Puts PATH first (taking it out from further down); false when the list
  // cannot be written.
  bool Add(const std::string& path) const;
  // Takes PATH out (a file that can no longer be opened).
  bool Remove(const std::string& path) const;

 private:
  bool Write(const std::vector<std::string>& paths) const;

  const AppProfile& m_profile;
};
