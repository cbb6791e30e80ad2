#pragma once

#include <memory>
#include <ostream>
#include <string>

// Replaces a file atomically: the text goes to a temporary file in the target's directory, and
// only when every write and the close have succeeded is it renamed over the target. A file that
// is never committed, or whose commit fails, leaves the target as it was and no temporary behind.
class AtomicFile {
public:
    AtomicFile();
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Creates the temporary file for path. False when it cannot be created.
    bool Open(const std::string& path);
    // The stream to write to; valid after a successful Open.
    std::ostream& stream();
    // Flushes, closes and renames. False when any write, the close or the rename failed.
    bool Commit();

private:
    class Buffer;
    std::unique_ptr<Buffer> buffer_;
    std::unique_ptr<std::ostream> stream_;
    std::string path_;
    std::string temporaryPath_;
    int fd_ = -1;

    void Discard();
    // Puts the temporary file in the target's place. False when that failed.
    bool ReplaceTarget();
};
