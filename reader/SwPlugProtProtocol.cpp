// SwPlugProt as the protocol handler: the browser's calls after Start.
#include "platform/Framework.h"
#include "reader/IECache.h"
#include "reader/SwPlugProt.h"

HRESULT SwPlugProt::Continue(PROTOCOLDATA* /*data*/) { return E_FAIL; }

HRESULT SwPlugProt::Abort(HRESULT reason, DWORD /*options*/) {
  if (m_sink) m_sink->ReportResult(FAILED(reason) ? reason : E_ABORT, 0, nullptr);
  return S_OK;
}

HRESULT SwPlugProt::Terminate(DWORD /*options*/) {
  ReleaseRequest();
  return S_OK;
}

HRESULT SwPlugProt::Suspend() { return E_NOTIMPL; }

HRESULT SwPlugProt::Resume() { return E_NOTIMPL; }

HRESULT SwPlugProt::Read(void* memory, ULONG size, ULONG* count) {
  // Before Start, after a failed one or after Terminate there is nothing to read.
  if (!m_delivery || (!memory && size != 0)) return E_FAIL;
  try {
    std::uint32_t copied = 0;
    const bool ended = m_delivery->Read(memory, size, copied);
    if (count) *count = copied;
    return ended ? S_FALSE : S_OK;
  } catch (CException* e) {
    e->Delete();
  } catch (...) {
  }
  return E_FAIL;
}

HRESULT SwPlugProt::Seek(LARGE_INTEGER /*move*/, DWORD /*origin*/, ULARGE_INTEGER* /*position*/) {
  return E_NOTIMPL;
}

HRESULT SwPlugProt::LockRequest(DWORD /*options*/) { return S_OK; }

HRESULT SwPlugProt::UnlockRequest() { return S_OK; }
