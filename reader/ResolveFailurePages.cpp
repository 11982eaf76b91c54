#include "reader/ResolveFailurePages.h"

void ResolveFailurePages::ReportResolveFailure(ResolveFailure failure, const std::string& name,
                                               std::uint32_t firmCode) {
  std::vector<std::string> args{name};
  if (failure != ResolveFailure::NotFound) args.push_back(std::to_string(firmCode));
  m_pages.ArrangePage(static_cast<unsigned>(failure), std::move(args));
}
