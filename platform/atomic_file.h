#pragma once

#include "platform/pending_temporary.h"

#include <memory>
#include <ostream>
#include <string>

// Replaces a file atomically: the text goes to a temporary file in the target's directory, and
// only when every write and the close have succeeded does it take the target's name. A file that
// is never committed, or whose commit fails, leaves the target as it was and no temporary behind.
//
// Where the file system allows it the temporary file has no name until the commit, so that even a
// process killed outright leaves nothing behind; elsewhere it is a hidden file that SIGTERM, SIGINT
// and SIGHUP remove. A replaced file keeps its permission bits; a new one gets 0666 less the umask.
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
    // Flushes, closes and replaces. False when any write, the flush to the disk, the close or the
    // replacement failed, and then the target is as it was. For a durable file, false also when
    // the directory could not be flushed after the replacement; the new text is then in place.
    bool Commit();

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

    // Creates a hidden temporary file under a fresh name. False when that failed.
    bool OpenNamed();
    // Links the unnamed temporary file under a fresh hidden name. False when that failed.
    bool NameUnnamed();
    // Gives the temporary file the permission bits of the file it replaces, if there is one.
    void KeepPermissions();
    // Puts the temporary file in the target's place. False when that failed.
    bool ReplaceTarget();
    // Forces the directory's names to the disk. False when that failed.
    bool SyncDirectory();
    void Discard();
};
