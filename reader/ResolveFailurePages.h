// Failed name resolutions told on the reader's error pages: 3 (name not
// registered; %1 the name), 4 (firm code not registered for the name; %2 the
// firm code asked) and 5 (several firm codes; %2 the first registered one).
#pragma once

#include "catalog/ResolveInterfaces.h"
#include "reader/RequestUrl.h"

class ResolveFailurePages : public ResolveFailureReport {
 public:
  explicit ResolveFailurePages(PageSink& pages) : m_pages(pages) {}

  void ReportResolveFailure(ResolveFailure failure, const std::string& name,
                            std::uint32_t firmCode) override;

 private:
  PageSink& m_pages;
};
