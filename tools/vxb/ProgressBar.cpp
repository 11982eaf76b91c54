#include "tools/vxb/ProgressBar.h"

#include <cstdio>

namespace vxb {

namespace {

constexpr int kBarWidth = 30;

}  // namespace

std::string ByteCountText(std::uint64_t bytes) {
  static const char* const units[] = {"bytes", "KiB", "MiB", "GiB", "TiB"};
  double value = static_cast<double>(bytes);
  int unit = 0;
  while (value >= 1024 && unit < 4) {
    value /= 1024;
    ++unit;
  }
  char text[32];
  if (unit == 0)
    std::snprintf(text, sizeof text, "%llu bytes", static_cast<unsigned long long>(bytes));
  else
    std::snprintf(text, sizeof text, "%.1f %s", value, units[unit]);
  return text;
}

ProgressBar::ProgressBar(std::ostream& terminal, bool enabled, std::string label)
    : m_terminal(terminal), m_enabled(enabled), m_label(std::move(label)) {}

ProgressBar::~ProgressBar() { Finish(); }

void ProgressBar::Update(std::uint64_t done, std::uint64_t total) {
  if (!m_enabled) return;
  const int permille = total == 0 ? 1000 : static_cast<int>(done * 1000 / total);
  if (permille == m_shownPermille) return;
  m_shownPermille = permille;
  const int filled = permille * kBarWidth / 1000;
  m_terminal << '\r' << m_label << " [" << std::string(filled, '#')
             << std::string(kBarWidth - filled, '.') << "] " << permille / 10 << "% "
             << ByteCountText(done) << "\x1b[K" << std::flush;
  m_drawn = true;
}

void ProgressBar::Finish() {
  if (!m_drawn) return;
  m_terminal << "\r\x1b[K" << std::flush;
  m_drawn = false;
  m_shownPermille = -1;
}

}  // namespace vxb
