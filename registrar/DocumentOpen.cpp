#include "registrar/DocumentOpen.h"

#include <memory>

#include "archive/VxbFile.h"
#include "base/KelErrorMessage.h"
#include "base/KelException.h"
#include "base/MessageCodes.h"
#include "platform/PathSyntax.h"
#include "platform/RegistryText.h"
#include "platform/SharedLibrary.h"
#include "platform/Shell.h"
#include "reader/ReaderExports.h"
#include "registrar/RegistrarTexts.h"

namespace registrar {

namespace {

// The reader module, bound once per process.
class ReaderBinding {
 public:
  // The export, or nullptr when the module cannot be used.
  GetDocumentFileNameAProc Bind(CKelErrorMessage& messages) {
    if (!m_tried) {
      m_tried = true;
      try {
        Load();
      } catch (CKelException* e) {
        const std::unique_ptr<CKelException> owned(e);
        messages.Report(e);
      }
    }
    return m_function;
  }

 private:
  void Load() {
    const std::string path = ReadRegistryText(HKEY_CLASSES_ROOT, kReaderServerKey, nullptr).value_or("");
    if (path.empty()) CKelException::Throw(1000, kReaderNotRegistered);
    if (m_library.Load(path) != ERROR_SUCCESS) CKelException::Throw(1001, path);
    m_function = reinterpret_cast<GetDocumentFileNameAProc>(m_library.Symbol("GetDocumentFileNameA"));
    if (!m_function) CKelException::Throw(1001, path);
  }

  bool m_tried = false;
  SharedLibrary m_library;
  GetDocumentFileNameAProc m_function = nullptr;
};

// The module stays loaded until the process ends: what it made lives on in it
// to the end (unloading it early would strand that memory).
ReaderBinding& Binding() {
  static ReaderBinding* const binding = new ReaderBinding;
  return *binding;
}

// Opens PATH as an archive and closes it again; false when it is none.
bool IsArchive(const std::string& path) {
  try {
    stow::VxbFile document;
    document.Open(path);
  } catch (CKelException* e) {
    e->Delete();
    return false;
  }
  return true;
}

}  // namespace

std::string ResolveThroughReader(const std::string& name, std::uint32_t firmCode,
                                 CKelErrorMessage& messages) {
  const GetDocumentFileNameAProc resolve = Binding().Bind(messages);
  if (!resolve) return {};
  char buffer[kMaxPathLength + 1] = {};
  const std::int32_t length = resolve(name.c_str(), firmCode, buffer, static_cast<std::int32_t>(kMaxPathLength));
  if (length <= 0 || static_cast<std::size_t>(length) > kMaxPathLength) return {};
  return std::string(buffer, static_cast<std::size_t>(length));
}

void OpenDocument(OpenRequest request, CKelErrorMessage& messages) {
  if (!request.archiveName.empty()) {
    request.path = ResolveThroughReader(request.archiveName, request.firmCode, messages);
    if (request.path.empty()) CKelException::Throw(1001, request.archiveName);
  }
  if (request.path.empty()) return;
  if (!IsArchive(request.path)) CKelException::Throw(1001, request.path);
  const std::string url = kFileUrlPrefix + request.path;
  int status = 0;
  const int result = ShellOpen(url, SW_SHOWNORMAL, &status);
  if (result == SE_ERR_NOASSOC) {
    CKelException::Throw(vxs::kGenericError, "nothing could open \"%1\": the opener ended with exit status " +
                                                 std::to_string(status), url);
  }
  if (result <= 31) CKelException::Throw(vxs::kGenericError, "no program to open \"%1\" could be started", url);
}

}  // namespace registrar
