// The bytes of one response, drained completely from the reader before the
// response is sent: in memory up to a bound, in an unlinked temporary file
// beyond it. So a slow client never holds the reader, and no response can carry
// another request's bytes. All bodies of the process share one memory budget:
// once the bodies in memory reach it, bodies being drained go to files too, so
// that many clients that read slowly cannot make the host grow without end.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

class ResponseBody {
 public:
  explicit ResponseBody(std::size_t memoryBound);
  // A body held in memory whole.
  explicit ResponseBody(std::string_view bytes);
  ResponseBody(const ResponseBody&) = delete;
  ResponseBody& operator=(const ResponseBody&) = delete;
  ~ResponseBody();

  // The budget of all bodies in memory together (bytes), and what they hold now.
  static void SetMemoryBudget(std::size_t bytes) { s_budget = bytes; }
  static std::size_t MemoryInUse() { return s_inUse; }

  // Appends a piece; false when the temporary file could not be written. A
  // piece written into Room() stays where it is.
  bool Append(std::string_view bytes);
  // Memory for up to SIZE bytes behind those held, where a producer may write
  // the next piece before it appends it; null when the body may not hold them
  // in memory, or only by moving the bytes it holds.
  char* Room(std::size_t size);
  // Gives back the room that no piece filled.
  void FitMemory();

  std::uint64_t Size() const { return m_size; }
  bool InMemory() const { return m_fd < 0; }
  std::string_view Memory() const { return {m_memory.get(), m_held}; }
  int FileDescriptor() const { return m_fd; }
  // The CRC-32 of all bytes, for the entity tag (with the size): it goes along
  // with the pieces as they come.
  std::uint32_t Digest() const { return m_crc; }

 private:
  struct FreeMemory {
    void operator()(char* memory) const { std::free(memory); }
  };

  bool SpillToFile();
  bool Reserve(std::size_t size);
  void AddToDigest(std::string_view bytes);

  std::size_t m_memoryBound;
  std::unique_ptr<char, FreeMemory> m_memory;  // from malloc: it grows and shrinks in place
  std::size_t m_held = 0;
  std::size_t m_capacity = 0;
  int m_fd = -1;
  std::uint64_t m_size = 0;
  std::uint32_t m_crc = 0;

  static inline std::atomic<std::size_t> s_budget{256u << 20};
  static inline std::atomic<std::size_t> s_inUse{0};
};
