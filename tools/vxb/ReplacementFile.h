// The file that a writer replaces. The new content is written to a temporary file
// beside it (the target's name, "." and six characters) that is renamed over the
// target only when complete, so the target is never half-written; the new file
// keeps the mode and owner of the one it replaces.
//
// A temporary that is being written is locked. One that a killed writer left
// behind is unlocked and is removed by the next writer of the same target; while
// a TemporariesRemovedOnSignals lives, SIGINT, SIGTERM and SIGHUP remove the
// temporaries at once and then end the process as the signal would have.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>

namespace stow {

class ReplacementFile {
 public:
  // Checks TARGET and creates the temporary. An existing target must be a regular
  // file (a link to one is followed) and may be replaced only when it is writable
  // or REPLACEREADONLY is set; the folder must exist. Failures throw
  // CKelFileException naming the target or its folder.
  ReplacementFile(const std::string& target, bool replaceReadOnly);
  ~ReplacementFile();
  ReplacementFile(const ReplacementFile&) = delete;
  ReplacementFile& operator=(const ReplacementFile&) = delete;

  const std::string& Target() const { return m_target; }
  const std::string& Temporary() const { return m_temporary; }

  // Gives the temporary the mode and owner of the target it replaces (a new
  // file gets the mode the umask allows) and renames it over the target.
  void Commit();

 private:
  struct Owner {
    mode_t mode;
    uid_t user;
    gid_t group;
  };

  void CheckTarget(bool replaceReadOnly);
  void CreateTemporary();

  std::string m_target;
  std::string m_temporary;
  int m_lock = -1;  // the temporary, open and locked
  std::optional<Owner> m_replaced;
  int m_slot = -1;  // in the table of temporaries that signals remove
};

// Removes, beside TARGET, the temporaries of writers that were killed: unlocked
// files named after it that hold nothing but the beginning of an archive.
void RemoveStaleTemporaries(const std::string& target);

// While an object lives, SIGINT, SIGTERM and SIGHUP remove the temporaries of
// live ReplacementFile objects, then end the process by the same signal.
class TemporariesRemovedOnSignals {
 public:
  TemporariesRemovedOnSignals();
  ~TemporariesRemovedOnSignals();
  TemporariesRemovedOnSignals(const TemporariesRemovedOnSignals&) = delete;
  TemporariesRemovedOnSignals& operator=(const TemporariesRemovedOnSignals&) = delete;
};

}  // namespace stow
