// vxs::DateTimeInit: the data that date texts are made from, taken from the
// message table on first use: the month abbreviations (text 55312) and the
// date template (text 55321). Programs install their message table at start,
// before any date is formatted.
#pragma once

#include <string>

namespace vxs {

class DateTimeInit {
 public:
  DateTimeInit();

  // Three-letter name of MONTH (1 to 12); the month's number when the table has
  // no names for it or MONTH is out of range.
  std::string MonthText(int month) const;
  // The date template: %1 year, %2 month, %3 day.
  const std::string& DateTemplate() const { return m_dateTemplate; }

 private:
  std::string m_monthNames;
  std::string m_dateTemplate;
};

// The process-wide object; DestroyDateTimeData makes the next use read the
// table again (after the program's message table has changed).
DateTimeInit& DateTimeData();
void DestroyDateTimeData();

}  // namespace vxs
