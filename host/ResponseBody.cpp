#include "host/ResponseBody.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>

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

ResponseBody::~ResponseBody() {
  if (m_fd >= 0) ::close(m_fd);
}

bool ResponseBody::Append(std::string_view bytes) {
  for (unsigned char c : bytes) {
    m_digest ^= c;
    m_digest *= 1099511628211ull;
  }
  m_size += bytes.size();
  if (m_fd < 0 && m_memory.size() + bytes.size() > m_memoryBound && !SpillToFile()) return false;
  if (m_fd < 0) {
    m_memory.append(bytes);
    return true;
  }
  return WriteAll(m_fd, bytes.data(), bytes.size());
}

bool ResponseBody::SpillToFile() {
  m_fd = OpenAnonymousFile();
  if (m_fd < 0) return false;
  bool written = WriteAll(m_fd, m_memory.data(), m_memory.size());
  m_memory.clear();
  m_memory.shrink_to_fit();
  return written;
}
