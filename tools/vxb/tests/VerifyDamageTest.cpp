// vxb verify on archives whose topic table was damaged by the test: each fault is
// found and told with its slots, and whatever verify calls sound reads completely
// by path and by number.
#include <functional>
#include <optional>

#include "archive/VxbFile.h"
#include "base/KelException.h"
#include "base/LittleEndian.h"
#include "tools/vxb/ArchiveReading.h"
#include "tools/vxb/ArchiveWriter.h"
#include "tools/vxb/tests/VxbRun.h"

namespace vxb_tests {
namespace {

constexpr std::size_t kSlotSize = 24;
constexpr std::size_t kSlotListEntry = 6;

// The bytes of a topic read to its end, or nothing when the read fails or stops
// short of the topic's length.
std::optional<std::string> ReadAll(ThisVxbFile& archive, std::uint32_t slot) {
  std::string bytes;
  vxb::StreamTopic(archive,
                   [&](const char* data, std::uint32_t count) { bytes.append(data, count); });
  if (bytes.size() != archive.GetSlot(slot).expandedLength) return std::nullopt;
  return bytes;
}

// Why the archive at PATH does not read completely by number and by path, or
// an empty text when it does.
std::string ReadsCompletely(const std::string& path) {
  try {
    ThisVxbFile archive;
    archive.SetPath(path);
    archive.LoadTopicTable();
    for (std::uint32_t slot = 0; slot < archive.GetSlotCount(); ++slot) {
      if (archive.GetSlot(slot).nameOffset == 0) continue;
      std::string name;
      const std::string where = "slot " + std::to_string(slot);
      if (!archive.OpenTopic(static_cast<std::int32_t>(slot), name))
        return where + " not opened by number";
      const std::optional<std::string> byNumber = ReadAll(archive, slot);
      if (!byNumber) return where + " short by number";
      archive.ClearBasePath();
      if (!archive.OpenTopic(ThisVxbFile::kNoTopic, name) ||
          archive.GetCurrentSlot() != static_cast<std::int32_t>(slot))
        return where + " not found by its path " + name;
      if (ReadAll(archive, slot) != byNumber) return where + " reads otherwise by path";
    }
  } catch (CKelException* e) {
    const std::unique_ptr<CKelException> failure(e);
    return "failure " + std::to_string(failure->m_code) + failure->m_arg1;
  }
  return {};
}

class VerifyDamageTest : public ::testing::Test {
 protected:
  VerifyDamageTest() {
    stow::ArchiveProperties properties;
    properties.name = "Damage";
    stow::ArchiveWriter writer(properties);
    for (int i = 0; i < 40; ++i) {
      const std::string folder = i % 3 == 0 ? "" : "part" + std::to_string(i % 4) + "/";
      writer.AddBytes(folder + "page" + std::to_string(i) + (i % 5 ? ".htm" : ".gif"),
                      i % 2 ? TextBytes(100 + 900 * i, i) : RandomBytes(50 + 40 * i, i));
    }
    writer.Write(Archive());
    m_sound = TempFolder::ReadAll(Archive());
    m_archive.SetPath(Archive());
    m_archive.LoadTopicTable();
    m_count = m_archive.GetSlotCount();
    std::uint32_t topics = 0;
    for (std::uint32_t i = 0; i < m_count; ++i) topics += m_archive.GetSlot(i).nameOffset != 0;
    // The writer puts the table right before the slot list, which ends the file.
    m_table = m_sound.size() - kSlotListEntry * topics - kSlotSize * m_count;
  }

  std::string Archive() const { return m_folder / "damaged.vxb"; }
  std::uint8_t* Slot(std::string& bytes, std::uint32_t slot) const {
    return reinterpret_cast<std::uint8_t*>(bytes.data()) + m_table + kSlotSize * slot;
  }
  bool Occupied(std::uint32_t slot) const { return m_archive.GetSlot(slot).nameOffset != 0; }
  std::string Name(std::uint32_t slot) {
    std::string name;
    m_archive.OpenTopic(static_cast<std::int32_t>(slot), name);
    return name;
  }
  // The first slot from FROM on that is occupied (or empty) and ends its chain.
  std::uint32_t Find(bool occupied, std::uint32_t from = 0) const {
    for (std::uint32_t slot = from;; ++slot)
      if (Occupied(slot) == occupied && (!occupied || m_archive.GetSlot(slot).next == -1))
        return slot;
  }
  Outcome VerifyBytes(const std::string& bytes) {
    std::ofstream(Archive(), std::ios::binary | std::ios::trunc) << bytes;
    return Vxb({"verify", Archive()});
  }

  TempFolder m_folder;
  std::string m_sound;
  ThisVxbFile m_archive;
  std::uint32_t m_count = 0;
  std::size_t m_table = 0;
};

TEST_F(VerifyDamageTest, EachFaultOfTheTableIsToldWithItsSlots) {
  const std::uint32_t a = Find(true);
  const std::uint32_t b = Find(true, a + 1);
  const std::uint32_t e = Find(false);
  const std::string s = std::to_string(m_count);
  const std::string A = Name(a), B = Name(b);
  struct Case {
    const char* what;
    std::function<void(std::string&)> damage;
    std::string fault;
  };
  const std::vector<Case> cases = {
      {"home slot emptied, the chain still leads there",
       [&](std::string& x) {
         std::copy_n(Slot(x, a), kSlotSize, Slot(x, e));
         std::fill_n(Slot(x, a), kSlotSize, 0);
         vxs::PutU32(Slot(x, b) + 16, e);
       },
       "topic " + std::to_string(e) + " (" + A + ") cannot be found by its path: its home slot " +
           std::to_string(a) + " is empty"},
      {"a chain into itself", [&](std::string& x) { vxs::PutU32(Slot(x, b) + 16, b); },
       "a hash chain runs in a circle through the slots " + std::to_string(b) + ", back to " +
           std::to_string(b)},
      {"two chains into each other",
       [&](std::string& x) {
         vxs::PutU32(Slot(x, a) + 16, b);
         vxs::PutU32(Slot(x, b) + 16, a);
       },
       "through the slots " + std::to_string(a) + ", " + std::to_string(b) + ", back to " +
           std::to_string(a)},
      {"a link beyond the table",
       [&](std::string& x) { vxs::PutU32(Slot(x, b) + 16, m_count + 3); },
       "slot " + std::to_string(b) + " links to slot " + std::to_string(m_count + 3) +
           ", which is not among the slots 0 to " + std::to_string(m_count - 1)},
      {"a negative link",
       [&](std::string& x) { vxs::PutU32(Slot(x, b) + 16, static_cast<std::uint32_t>(-7)); },
       "slot " + std::to_string(b) + " links to slot -7, which is not among"},
      {"a link to an empty slot", [&](std::string& x) { vxs::PutU32(Slot(x, b) + 16, e); },
       "slot " + std::to_string(b) + " links to the empty slot " + std::to_string(e)},
      {"a topic twice", [&](std::string& x) { std::copy_n(Slot(x, a), kSlotSize, Slot(x, e)); },
       "topic " + std::to_string(e) + " (" + A +
           ") cannot be found by its path: the lookup finds topic " + std::to_string(a) + " (" + A +
           ") first"},
      {"a name beyond the file", [&](std::string& x) { vxs::PutU32(Slot(x, b), 0xFFFFFF00); },
       "fatal error VK1031 - file is corrupt (bad topic offset)"},
      {"a chunk's bytes", [&](std::string& x) { x[m_table / 2] ^= 0x55; }, "VK1031"},
  };
  const Outcome sound = VerifyBytes(m_sound);
  EXPECT_EQ(sound.status, 0);
  EXPECT_NE(sound.out.find(": 40 topics, sound"), std::string::npos) << sound.out;
  for (const Case& c : cases) {
    std::string bytes = m_sound;
    c.damage(bytes);
    const Outcome run = VerifyBytes(bytes);
    EXPECT_EQ(run.status, 1) << c.what;
    EXPECT_NE(run.out.find("damaged"), std::string::npos) << c.what;
    EXPECT_NE(run.err.find(c.fault), std::string::npos) << c.what << ": " << c.fault << "\n"
                                                        << run.err;
  }
}

TEST_F(VerifyDamageTest, NamesThatAreUnsafeToExtractAreListed) {
  stow::ArchiveProperties properties;
  properties.name = "Unsafe";
  stow::ArchiveWriter writer(properties);
  for (const char* path :
       {"../up.txt", "/etc/abs.txt", "a//b.txt", "ctl\x01.txt", "ok.txt", "back\\slash.txt"})
    writer.AddBytes(path, "x");
  writer.Write(Archive());
  const Outcome run = Vxb({"verify", Archive()});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 5) << run.err;
  for (const char* fault :
       {"(../up.txt) is unsafe to extract: a part of the path is empty, \".\" or \"..\"",
        "(/etc/abs.txt) is unsafe to extract: the path is absolute",
        "(a//b.txt) is unsafe to extract", "(ctl\\x01.txt) is unsafe to extract",
        "(back\\slash.txt) is unsafe to extract: the path holds \"\\\""})
    EXPECT_NE(run.err.find(fault), std::string::npos) << fault << "\n" << run.err;
}

TEST_F(VerifyDamageTest, WhatVerifyCallsSoundReadsCompletely) {
  std::mt19937 random(20240611);
  int sound = 0;
  int damaged = 0;
  for (int round = 0; round < 400; ++round) {
    std::string bytes = m_sound;
    for (int n = 1 + static_cast<int>(random() % 3); n > 0; --n) {
      const std::uint32_t slot = random() % m_count;
      const std::uint32_t other = random() % m_count;
      std::uint8_t* at = Slot(bytes, slot);
      switch (random() % 6) {
        case 0: vxs::PutU32(at + 16, random() % (m_count + 2) - 1); break;
        case 1: std::fill_n(at, kSlotSize, 0); break;
        case 2: std::copy_n(Slot(bytes, other), kSlotSize, at); break;
        case 3: at[random() % kSlotSize] ^= static_cast<std::uint8_t>(1 + random() % 255); break;
        case 4: bytes[m_table / 8 + random() % (m_table * 7 / 8)] ^= 1 << (random() % 8); break;
        default: vxs::PutU32(at + 16, static_cast<std::uint32_t>(random())); break;
      }
    }
    const Outcome run = VerifyBytes(bytes);
    if (run.status == 0) {
      ++sound;
      EXPECT_EQ(ReadsCompletely(Archive()), "") << "round " << round;
    } else {
      ++damaged;
    }
  }
  // Both kinds must occur, or the rounds test nothing.
  EXPECT_GT(sound, 20);
  EXPECT_GT(damaged, 200);
}

}  // namespace
}  // namespace vxb_tests
