#include "host/ResponseBody.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>
#include <zlib.h>

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

ResponseBody::ResponseBody(std::size_t memoryBound)
    : m_memoryBound(memoryBound), m_crc(static_cast<std::uint32_t>(crc32(0, nullptr, 0))) {}

ResponseBody::ResponseBody(std::string&& bytes) : ResponseBody(bytes.size()) {
  AddToDigest(bytes);
  m_size = bytes.size();
  m_memory = std::move(bytes);
  s_inUse += m_memory.size();
}

void ResponseBody::AddToDigest(std::string_view bytes) {
  // zlib takes at most 4 GiB per call.
  for (std::size_t at = 0; at < bytes.size(); at += 1u << 30) {
    auto piece = bytes.substr(at, 1u << 30);
    auto data = reinterpret_cast<const Bytef*>(piece.data());
    auto size = static_cast<uInt>(piece.size());
    m_crc = static_cast<std::uint32_t>(crc32(m_crc, data, size));
  }
}

ResponseBody::~ResponseBody() {
  if (m_fd >= 0) ::close(m_fd);
  s_inUse -= m_memory.size();
}

bool ResponseBody::Append(std::string_view bytes) {
  AddToDigest(bytes);
  m_size += bytes.size();
  if (m_fd < 0 &&
      (m_memory.size() + bytes.size() > m_memoryBound || s_inUse + bytes.size() > s_budget) &&
      !SpillToFile())
    return false;
  if (m_fd < 0) {
    m_memory.append(bytes);
    s_inUse += bytes.size();
    return true;
  }
  return WriteAll(m_fd, bytes.data(), bytes.size());
}

bool ResponseBody::SpillToFile() {
  m_fd = OpenAnonymousFile();
  if (m_fd < 0) return false;
  bool written = WriteAll(m_fd, m_memory.data(), m_memory.size());
  s_inUse -= m_memory.size();
  m_memory.clear();
  m_memory.shrink_to_fit();
  return written;
}
