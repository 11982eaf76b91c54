#include "base/DateTimeInit.h"

#include "base/AutoInit.h"
#include "base/MessageText.h"

namespace vxs {

namespace {
constinit AutoInit<DateTimeInit> g_dateTime;
}

DateTimeInit::DateTimeInit()
    : m_monthNames(LoadMessageText(55312)), m_dateTemplate(LoadMessageText(55321)) {
  if (m_dateTemplate.empty()) m_dateTemplate = "%1-%2-%3";
}

std::string DateTimeInit::MonthText(int month) const {
  const std::size_t position = 3 * static_cast<std::size_t>(month - 1);
  if (month < 1 || month > 12 || position + 3 > m_monthNames.size()) return std::to_string(month);
  return m_monthNames.substr(position, 3);
}

DateTimeInit& DateTimeData() { return g_dateTime.Get(); }
void DestroyDateTimeData() { g_dateTime.Destroy(); }

}  // namespace vxs
