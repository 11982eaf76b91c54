#include "host/PageOutcome.h"

#include <cstdio>

#include "reader/client/ReaderOutcome.h"

namespace {

const ProtocolReport* OutcomeReport(const std::vector<ProtocolReport>& reports) {
  for (const ProtocolReport& r : reports)
    if (r.kind == ProtocolReportKind::Progress && r.statusCode == BINDSTATUS_READEROUTCOME)
      return &r;
  return nullptr;
}

}  // namespace

int HttpStatusOf(HRESULT result, const std::vector<ProtocolReport>& reports) {
  const ProtocolReport* outcome = OutcomeReport(reports);
  if (outcome && outcome->text == kReaderOutcomeMissingTopic) return 404;
  if (FAILED(result)) return 500;
  if (!outcome || outcome->text == "11") return 200;
  if (outcome->text == "1") return 400;
  static const char* const kNotThere[] = {"2", "3", "4", "5", "6", "7"};
  for (const char* page : kNotThere)
    if (outcome->text == page) return 404;
  return 500;
}

std::string FailureText(HRESULT result, const std::vector<ProtocolReport>& reports) {
  const ProtocolReport* outcome = OutcomeReport(reports);
  if (outcome && outcome->text == kReaderOutcomeMissingTopic)
    return "The archive holds no such topic.\n";
  char text[96];
  std::snprintf(text, sizeof text, "The reader could not serve this URL (0x%08X).\n",
                static_cast<unsigned>(result));
  return text;
}
