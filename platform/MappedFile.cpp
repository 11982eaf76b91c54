#include "platform/MappedFile.h"

#include <signal.h>

#include <mutex>

namespace os {

namespace {

struct sigaction g_previousAction;

// A SIGBUS inside ReadMapped jumps back to it. Any other is handed to the action
// that was in place before ours, so that a program's own handling, or the default
// end of the process, stays as it was.
void OnBusError(int signal, siginfo_t* info, void* context) {
  if (sigjmp_buf* guard = mapped_detail::CurrentGuard()) siglongjmp(*guard, 1);
  const struct sigaction& previous = g_previousAction;
  if ((previous.sa_flags & SA_SIGINFO) != 0 && previous.sa_sigaction != nullptr) {
    previous.sa_sigaction(signal, info, context);
  } else if (previous.sa_handler != SIG_DFL && previous.sa_handler != SIG_IGN) {
    previous.sa_handler(signal);
  } else {
    // The default action: the faulting instruction, run again on return, or the
    // signal sent once more, now ends the process as it would have without us.
    ::signal(signal, SIG_DFL);
    if (info->si_code <= 0) ::raise(signal);
  }
}

void InstallBusErrorHandler() {
  static std::once_flag installed;
  std::call_once(installed, [] {
    struct sigaction action {};
    action.sa_sigaction = OnBusError;
    action.sa_flags = SA_SIGINFO | SA_NODEFER;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGBUS, &action, &g_previousAction);
  });
}

}  // namespace

namespace mapped_detail {

sigjmp_buf*& CurrentGuard() {
  static thread_local sigjmp_buf* guard = nullptr;
  return guard;
}

}  // namespace mapped_detail

bool MappedFile::Map(FileHandle file, std::uint64_t length) {
  Unmap();
  InstallBusErrorHandler();
  const std::uint8_t* data = nullptr;
  if (!MapFile(file, length, data)) return false;
  m_data = data;
  m_size = length;
  return true;
}

void MappedFile::Unmap() {
  if (m_data != nullptr) UnmapFile(m_data, m_size);
  m_data = nullptr;
  m_size = 0;
}

}  // namespace os
