#include "tools/vxb/TopicTableCheck.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

#include "archive/TopicName.h"
#include "base/KelException.h"
#include "tools/vxb/TopicPathCheck.h"

namespace vxb {

namespace {

constexpr std::int32_t kEndOfChain = -1;  // what writers put in the last slot of a chain
constexpr std::size_t kLongestShownCircle = 16;

class TableCheck {
 public:
  TableCheck(ThisVxbFile& archive, const std::map<std::uint32_t, std::string>& names,
             const FaultReport& report)
      : m_archive(archive), m_names(names), m_report(report), m_count(archive.GetSlotCount()) {}

  std::size_t Run() {
    CheckLinks();
    CheckCircles();
    for (const auto& [slot, path] : m_names) {
      CheckLookup(slot, path);
      if (const char* reason = UnsafeTopicPath(path))
        Fault(Topic(slot) + " is unsafe to extract: " + reason);
    }
    CheckStartTopic();
    return m_faults;
  }

 private:
  void Fault(const std::string& text) {
    ++m_faults;
    m_report(text);
  }

  std::string Topic(std::uint32_t slot) const {
    const auto name = m_names.find(slot);
    return "topic " + std::to_string(slot) +
           (name == m_names.end() ? "" : " (" + name->second + ")");
  }

  bool Occupied(std::uint32_t slot) const { return m_archive.GetSlot(slot).nameOffset != 0; }

  // The slot that a lookup walks to after SLOT, or none where it stops.
  std::optional<std::uint32_t> Follower(std::uint32_t slot) const {
    const std::int32_t next = m_archive.GetSlot(slot).next;
    if (next < 0 || static_cast<std::uint32_t>(next) >= m_count) return std::nullopt;
    if (!Occupied(static_cast<std::uint32_t>(next))) return std::nullopt;
    return static_cast<std::uint32_t>(next);
  }

  void CheckLinks() {
    for (std::uint32_t slot = 0; slot < m_count; ++slot) {
      if (!Occupied(slot)) continue;
      const std::int32_t next = m_archive.GetSlot(slot).next;
      if (next == kEndOfChain) continue;
      if (next < 0 || static_cast<std::uint32_t>(next) >= m_count)
        Fault("slot " + std::to_string(slot) + " links to slot " + std::to_string(next) +
              ", which is not among the slots 0 to " + std::to_string(m_count - 1));
      else if (!Occupied(static_cast<std::uint32_t>(next)))
        Fault("slot " + std::to_string(slot) + " links to the empty slot " + std::to_string(next));
    }
  }

  // Each slot has at most one follower, so every walk ends, joins a walk made
  // before, or runs into a circle of its own.
  void CheckCircles() {
    enum : std::uint8_t { kNew, kOnWalk, kDone };
    std::vector<std::uint8_t> state(m_count, kNew);
    for (std::uint32_t start = 0; start < m_count; ++start) {
      if (!Occupied(start) || state[start] != kNew) continue;
      std::vector<std::uint32_t> walk;
      for (std::optional<std::uint32_t> at = start; at && state[*at] != kDone; at = Follower(*at)) {
        if (state[*at] == kOnWalk) {
          ReportCircle({std::find(walk.begin(), walk.end(), *at), walk.end()});
          break;
        }
        state[*at] = kOnWalk;
        walk.push_back(*at);
      }
      for (std::uint32_t slot : walk) state[slot] = kDone;
    }
  }

  void ReportCircle(const std::vector<std::uint32_t>& circle) {
    std::string text = "a hash chain runs in a circle through the slots ";
    for (std::size_t i = 0; i < circle.size() && i < kLongestShownCircle; ++i)
      text += std::to_string(circle[i]) + ", ";
    if (circle.size() > kLongestShownCircle)
      text += "... (" + std::to_string(circle.size()) + " slots), ";
    Fault(text + "back to " + std::to_string(circle.front()));
  }

  // Why the walk of a lookup of PATH does not reach SLOT, or nothing when it does.
  std::string WhyNotReached(std::uint32_t slot, const std::string& path) const {
    const std::u16string wanted = stow::Utf8ToUtf16(path);
    const std::uint32_t home = stow::HomeSlot(path, m_count);
    const std::string fromHome = "the chain from its home slot " + std::to_string(home);
    if (!Occupied(home)) return "its home slot " + std::to_string(home) + " is empty";
    std::uint32_t at = home;
    for (std::uint32_t step = 0; step < m_count; ++step) {
      const auto name = m_names.find(at);
      if (name == m_names.end())
        return "the name in slot " + std::to_string(at) + " cannot be read";
      if (stow::TopicNamesEqual(stow::Utf8ToUtf16(name->second), wanted))
        return at == slot ? std::string() : "the lookup finds " + Topic(at) + " first";
      const std::optional<std::uint32_t> next = Follower(at);
      if (!next) return fromHome + " ends at slot " + std::to_string(at);
      at = *next;
    }
    return fromHome + " runs in a circle";
  }

  void CheckLookup(std::uint32_t slot, const std::string& path) {
    if (path.empty()) {
      Fault(Topic(slot) + " has an empty name and cannot be found by path");
      return;
    }
    bool found = false;
    try {
      m_archive.ClearBasePath();
      std::string request = path;
      found = m_archive.OpenTopic(ThisVxbFile::kNoTopic, request) &&
              m_archive.GetCurrentSlot() == static_cast<std::int32_t>(slot);
    } catch (CKelException* e) {
      std::unique_ptr<CKelException> failure(e);
    }
    if (found) return;
    const std::string why = WhyNotReached(slot, path);
    Fault(Topic(slot) +
          " cannot be found by its path: " + (why.empty() ? "the lookup fails" : why));
  }

  void CheckStartTopic() {
    const std::int32_t start = m_archive.GetStartTopic();
    if (start < 0) return;
    if (static_cast<std::uint32_t>(start) >= m_count ||
        !Occupied(static_cast<std::uint32_t>(start)))
      Fault("the start topic " + std::to_string(start) + " is no topic");
  }

  ThisVxbFile& m_archive;
  const std::map<std::uint32_t, std::string>& m_names;
  const FaultReport& m_report;
  const std::uint32_t m_count;
  std::size_t m_faults = 0;
};

}  // namespace

std::size_t CheckTopicTable(ThisVxbFile& archive, const std::map<std::uint32_t, std::string>& names,
                            const FaultReport& report) {
  return TableCheck(archive, names, report).Run();
}

}  // namespace vxb
