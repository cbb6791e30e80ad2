#pragma once

#include "platform/pending_temporary.h"

#include <memory>
#include <ostream>
#include <string>

// Replaces a file atomically: the text goes to a temporary file in the target's directory, and only
// when every write and the close have succeeded does it take the target's name. A file that is
// never committed, or whose commit fails, leaves the target as it was and no temporary behind.
class AtomicFile {
public:
    // Whether the text must survive a power loss once the commit has succeeded.
    enum class Durability {
        // Forced to the disk before it replaces the old file, and the directory after: for a file
        // that is the user's only record.
        Durable,
        // Left to the system's usual write-back: for a file that can be made again.
        Regenerable,
    };

    AtomicFile();
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Creates the temporary file for path. False when it cannot be created.
    bool Open(const std::string& path, Durability durability = Durability::Durable);
    // The stream to write to; valid after a successful Open.
    std::ostream& stream();
    // Makes the new file executable by whoever may read it (a script), once it is prepared.
    void MakeExecutable() { executable_ = true; }
    // Flushes, closes and replaces. False when any write, the flush to the disk, the close or the
    // replacement failed, and then the target is as it was. For a durable file, false also when the
    // directory could not be flushed after the replacement; the new text is then in place.
    bool Commit();

    // The commit in steps, for a set of files that must change together: each file is prepared,
    // then each is exchanged, and only when every exchange has succeeded is each finished; a
    // failure undoes the exchanges already made.
    bool Prepare();
    // Puts the prepared file in the target's place, keeping the file it replaces under the
    // temporary name until Finish or Undo. False, with errno telling why, when that failed; the
    // target is then as it was.
    bool Exchange();
    // After Exchange: puts the replaced file back, or removes the new one where there was none.
    // False when that failed.
    bool Undo();
    // After Exchange: removes the replaced file and, for a durable file, forces the directory to
    // the disk. False when the directory could not be flushed; the new text is in place.
    bool Finish();

private:
    class Buffer;
    std::unique_ptr<Buffer> buffer_;
    std::unique_ptr<std::ostream> stream_;
    std::string path_;
    // The target's directory with its final slash ("./" for a bare name).
    std::string directory_;
    // Empty while the temporary file has no name.
    std::string temporaryPath_;
    PendingTemporary pending_;
    Durability durability_ = Durability::Durable;
    int fd_ = -1;
    // Where the commit in steps stands, and whether Exchange found a file to keep.
    enum class Step { Writing, Prepared, Exchanged } step_ = Step::Writing;
    bool replacedFile_ = false;
    bool executable_ = false;

    // Creates a hidden temporary file under a fresh name. False when that failed.
    bool OpenNamed();
    // Links the unnamed temporary file under a fresh hidden name. False when that failed.
    bool NameUnnamed();
    // Gives the temporary file the permission bits of the file it replaces, if there is one, and
    // execute permission where it has read permission when it is to be executable.
    void KeepPermissions();
    // Forces the directory's names to the disk. False when that failed.
    bool SyncDirectory();
    void Discard();
};
