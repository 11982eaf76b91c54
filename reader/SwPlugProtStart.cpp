// SwPlugProt as the protocol handler: Start serves one vexost: URL.
#include <cstdio>
#include <memory>

#include "base/KelErrorMessage.h"
#include "base/KelException.h"
#include "platform/UserInterface.h"
#include "reader/DlgFileSelect.h"
#include "reader/IECache.h"
#include "reader/PagePaths.h"
#include "reader/ReaderPages.h"
#include "reader/client/ReaderOutcome.h"
#include "reader/ReaderState.h"
#include "reader/SwPlugProt.h"
#include "reader/ThisDll.h"

namespace {

// Runs STEP, dropping a foundation exception: for the steps whose failure
// changes nothing for the request.
template <class Step>
void IgnoringFailure(Step step) {
  try {
    step();
  } catch (CException* e) {
    e->Delete();
  }
}

// The topic number OpenTopic takes: negative for none (also for numbers no
// topic table can reach).
std::int32_t TopicNumberOf(std::uint32_t number) {
  return number > 0x7FFFFFFFu ? -1 : static_cast<std::int32_t>(number);
}

// The message of FAILURE as the module composes it (code prefixed "VK").
std::string ComposeErrorText(CKelException& failure) {
  CKelErrorMessage composer;
  composer.m_flags = CKelErrorMessage::kOutputComposeOnly | CKelErrorMessage::kOneLine;
  return composer.Report(&failure);
}

}  // namespace

HRESULT SwPlugProt::Start(LPCWSTR url, IInternetProtocolSink* sink, IInternetBindInfo* bindInfo,
                          DWORD flags, HANDLE_PTR /*reserved*/) {
  if (!url || !sink || !bindInfo) return E_INVALIDARG;
  ReleaseRequest();
  m_startFlags = flags;
  m_sink = sink;
  m_bindInfo = bindInfo;
  m_url = url;
  try {
    return ServeRequest(flags);
  } catch (CException* e) {
    e->Delete();
  } catch (...) {
  }
  return E_FAIL;
}

HRESULT SwPlugProt::ServeRequest(DWORD flags) {
  m_bindData = BINDINFO{};
  m_bindData.cbSize = sizeof(BINDINFO);
  m_holdsBindData = true;
  const HRESULT answer = m_bindInfo->GetBindInfo(&m_bindFlags, &m_bindData);

  m_state.BeginRequest();
  ThisVxbFile& archive = m_state.GetArchive();
  if (!m_state.GetGrammar().ParseRequestUrl(m_url, m_request, m_state)) {
    if (archive.GetPageText().empty()) return E_FAIL;
    Serve();
    return answer;
  }
  // Paths name files of a case-sensitive file system: compared exactly.
  const bool sameArchive = m_request.archivePath.empty() ||
                           (archive.IsOpen() && archive.GetPath() == m_request.archivePath);
  if (flags & PI_PARSE_URL) {
    // The prefix stands for the archive open now; an archive only parsed is not.
    if (!sameArchive) m_state.GetGrammar().ClearArchivePrefix();
    return S_OK;
  }

  std::int32_t topicNumber = TopicNumberOf(m_request.topicNumber);
  if (sameArchive) {
    if (m_request.topicNumber == RequestUrl::kNone && m_request.topicPath.empty())
      topicNumber = archive.GetStartTopic();
  } else if (!LoadRequestedArchive(topicNumber)) {
    Serve();
    return S_OK;
  }

  std::string topicPath = m_request.topicPath;
  const bool found = archive.OpenTopic(topicNumber, topicPath);
  if (!found && archive.GetPageText().empty()) {
    ReportOutcome(kReaderOutcomeMissingTopic);
    // A number given in the URL is shown as given, also one that no table reaches.
    ReportTopicNotFound(m_request.topicNumber != RequestUrl::kNone
                            ? m_request.topicNumber
                            : static_cast<std::uint32_t>(topicNumber));
    return E_FAIL;
  }
  if (found) ReportTopic(topicPath);
  Serve();
  return answer;
}

bool SwPlugProt::LoadRequestedArchive(std::int32_t& topicNumber) {
  ThisVxbFile& archive = m_state.GetArchive();
  m_state.CloseArchive();
  archive.SetPath(m_request.archivePath);
  for (;;) {
    try {
      const std::int32_t startTopic = archive.LoadTopicTable();
      if (m_request.topicNumber == RequestUrl::kNone && m_request.topicPath.empty())
        topicNumber = startTopic;
      m_state.m_askForFileOf.clear();
      return true;
    } catch (CKelFileException* e) {
      std::unique_ptr<CKelFileException> failure(e);
      // A file half read must not pass for the archive open now.
      IgnoringFailure([&] { archive.Close(); });
      if (!HandleOpenFailure(*failure)) break;
    } catch (CKelException* e) {
      std::unique_ptr<CKelException> failure(e);
      IgnoringFailure([&] { archive.Close(); });
      ArrangeOpenFailurePage(*failure);
      break;
    } catch (...) {
      IgnoringFailure([&] { archive.Close(); });
      throw;
    }
  }
  m_state.GetGrammar().ClearArchivePrefix();
  return false;
}

bool SwPlugProt::HandleOpenFailure(CKelFileException& failure) {
  ThisVxbFile& archive = m_state.GetArchive();
  const RequestUrlGrammar& grammar = m_state.GetGrammar();
  // The dialog is offered on the next failure of the same archive: a failure of
  // another archive (another client's, on a server) is a first failure again.
  if (m_state.m_askForFileOf == m_request.archivePath) {
    DlgFileSelect dialog(archive.GetPath(), grammar.GetRecordName(), grammar.GetRecordFirmCode(),
                         m_state.GetCatalog());
    if (dialog.DoModal(CurrentReaderDialogFrontEnd()) == IDOK) {
      archive.SetPath(dialog.GetFilePath());
      m_state.m_askForFileOf.clear();
      return true;
    }
  }
  ArrangeOpenFailurePage(failure);
  m_state.m_askForFileOf = m_request.archivePath;
  return false;
}

void SwPlugProt::ArrangeOpenFailurePage(CKelException& failure) {
  const std::string& name = m_state.GetGrammar().GetRecordName();
  const unsigned page = name.empty() ? kPageFileFails : kPageRegisteredFileFails;
  const std::string& path = m_state.GetArchive().GetPath();
  m_state.ArrangePage(page, {PagePaths::Path(path), name,
                             PagePaths::Message(ComposeErrorText(failure), path)});
}

void SwPlugProt::ReportTopicNotFound(std::uint32_t topicNumber) {
  char text[1024];
  if (!m_request.topicPath.empty())
    std::snprintf(text, sizeof text, "File \"%s\" not found.", m_request.topicPath.c_str());
  else
    std::snprintf(text, sizeof text, "File :%u not found.", topicNumber);
  MessageBoxA(text, ThisDll::kAppName, MB_OK | MB_ICONEXCLAMATION);
}

void SwPlugProt::Serve() {
  m_delivery.reset();
  if (m_state.GetArrangedPage() != ReaderState::kNoPage)
    ReportOutcome(std::to_string(m_state.GetArrangedPage()));
  m_delivery = CreateDeliveryObject(m_sink.get(), m_url, &m_state.GetArchive());
  m_delivery->Start();
}

void SwPlugProt::ReportOutcome(std::string_view outcome) {
  if (m_sink) m_sink->ReportProgress(BINDSTATUS_READEROUTCOME, std::string(outcome).c_str());
}

void SwPlugProt::ReportTopic(const std::string& path) {
  ReaderTopic topic;
  if (m_request.topicPath.empty())
    topic.found = TopicFound::Unnamed;
  else if (m_state.GetArchive().FoundInLastFolder())
    topic.found = TopicFound::InLastFolder;
  // The topic part reads a ":" as the start of a topic number and drops one
  // trailing "/": a path with a ":" cannot be named, one with a "/" at its end
  // needs another.
  if (!m_request.archiveUrl.empty() && !path.empty() && path.find(':') == std::string::npos)
    topic.url = m_request.archiveUrl + path + (path.ends_with('/') ? "/" : "");
  if (m_sink) m_sink->ReportProgress(BINDSTATUS_READERTOPIC, topic.Format().c_str());
}

void SwPlugProt::ReleaseRequest() {
  m_delivery.reset();
  if (m_holdsBindData) ReleaseBindInfo(&m_bindData);
  m_holdsBindData = false;
  m_bindInfo.Reset();
  m_sink.Reset();
}
