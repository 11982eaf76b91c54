// A progress bar on one terminal line, redrawn in place while work goes on and
// cleared when it is done. Drawn only when enabled (standard error is a terminal).
#pragma once

#include <cstdint>
#include <ostream>
#include <string>

namespace vxb {

class ProgressBar {
 public:
  ProgressBar(std::ostream& terminal, bool enabled, std::string label);
  ~ProgressBar();
  ProgressBar(const ProgressBar&) = delete;
  ProgressBar& operator=(const ProgressBar&) = delete;

  // DONE of TOTAL bytes; the line is redrawn when the shown state changes.
  void Update(std::uint64_t done, std::uint64_t total);
  // Clears the line (also done by the destructor).
  void Finish();

 private:
  std::ostream& m_terminal;
  bool m_enabled;
  bool m_drawn = false;
  std::string m_label;
  int m_shownPermille = -1;
};

// "12.3 MiB" and the like.
std::string ByteCountText(std::uint64_t bytes);

}  // namespace vxb
