#include "host/ResponseBody.h"

#include "host/Crc32.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>

namespace {

bool WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    ssize_t n = ::write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

// An unnamed file in the temporary folder: it disappears with its last descriptor.
int OpenAnonymousFile() {
  const char* dir = ::getenv("TMPDIR");
  std::string folder = dir && *dir ? dir : "/tmp";
  int fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (fd >= 0) return fd;
  std::string name = folder + "/vxstserve-XXXXXX";
  fd = ::mkostemp(name.data(), O_CLOEXEC);
  if (fd >= 0) ::unlink(name.c_str());
  return fd;
}

}  // namespace

ResponseBody::ResponseBody(std::size_t memoryBound) : m_memoryBound(memoryBound) {}

ResponseBody::ResponseBody(std::string_view bytes) : ResponseBody(bytes.size()) {
  // A text made whole in memory already stays there, whatever the budget.
  if (!Reserve(bytes.size())) throw std::bad_alloc();
  AddToDigest(bytes);
  if (!bytes.empty()) std::memcpy(m_memory.get(), bytes.data(), bytes.size());
  m_size = m_held = bytes.size();
  s_inUse += m_held;
}

void ResponseBody::AddToDigest(std::string_view bytes) {
  m_crc = Crc32(m_crc, bytes.data(), bytes.size());
}

ResponseBody::~ResponseBody() {
  if (m_fd >= 0) ::close(m_fd);
  s_inUse -= m_held;
}

bool ResponseBody::Reserve(std::size_t size) {
  if (m_capacity - m_held >= size) return true;
  const std::size_t capacity = std::max(m_held + size, 2 * m_capacity);
  auto* grown = static_cast<char*>(std::realloc(m_memory.get(), capacity));
  if (!grown) return false;
  m_memory.release();
  m_memory.reset(grown);
  m_capacity = capacity;
  return true;
}

char* ResponseBody::Room(std::size_t size) {
  if (m_fd >= 0 || m_held + size > m_memoryBound || s_inUse + size > s_budget) return nullptr;
  // Growing would move the bytes held: then the piece may as well be copied.
  if (m_held > 0 && m_capacity - m_held < size) return nullptr;
  return Reserve(size) ? m_memory.get() + m_held : nullptr;
}

void ResponseBody::FitMemory() {
  if (m_capacity == m_held || m_held == 0) return;
  if (auto* fitted = static_cast<char*>(std::realloc(m_memory.get(), m_held))) {
    m_memory.release();
    m_memory.reset(fitted);
    m_capacity = m_held;
  }
}

bool ResponseBody::Append(std::string_view bytes) {
  AddToDigest(bytes);
  m_size += bytes.size();
  const bool inRoom = m_fd < 0 && m_memory && bytes.data() == m_memory.get() + m_held &&
                      bytes.size() <= m_capacity - m_held;
  if (!inRoom && m_fd < 0 &&
      (m_held + bytes.size() > m_memoryBound || s_inUse + bytes.size() > s_budget ||
       !Reserve(bytes.size())) &&
      !SpillToFile())
    return false;
  if (m_fd >= 0) return WriteAll(m_fd, bytes.data(), bytes.size());
  if (!inRoom && !bytes.empty()) std::memcpy(m_memory.get() + m_held, bytes.data(), bytes.size());
  m_held += bytes.size();
  s_inUse += bytes.size();
  return true;
}

bool ResponseBody::SpillToFile() {
  m_fd = OpenAnonymousFile();
  if (m_fd < 0) return false;
  bool written = WriteAll(m_fd, m_memory.get(), m_held);
  s_inUse -= m_held;
  m_memory.reset();
  m_held = m_capacity = 0;
  return written;
}
