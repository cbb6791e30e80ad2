#include "platform/atomic_file.h"

#include "platform/run_stamp.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <fcntl.h>
#include <streambuf>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

// A stream buffer that writes straight to a file descriptor through a large buffer and remembers
// whether any write has failed, so that the commit can refuse a short file.
class AtomicFile::Buffer : public std::streambuf {
public:
    explicit Buffer(int fd) : fd_(fd), storage_(1 << 16) { setp(storage_.data(), storage_.data() + storage_.size()); }

    bool failed() const { return failed_; }

    bool Drain()
    {
        const char* p = pbase();
        size_t left = size_t(pptr() - pbase());
        while (left > 0 && !failed_) {
            ssize_t written = ::write(fd_, p, left);
            if (written < 0) {
                if (errno == EINTR)
                    continue;
                failed_ = true;
                break;
            }
            p += written;
            left -= size_t(written);
        }
        setp(storage_.data(), storage_.data() + storage_.size());
        return !failed_;
    }

protected:
    int_type overflow(int_type ch) override
    {
        if (!Drain())
            return traits_type::eof();
        if (!traits_type::eq_int_type(ch, traits_type::eof())) {
            *pptr() = traits_type::to_char_type(ch);
            pbump(1);
        }
        return traits_type::not_eof(ch);
    }

    int sync() override { return Drain() ? 0 : -1; }

private:
    int fd_;
    std::vector<char> storage_;
    bool failed_ = false;
};

namespace {

// A hidden name in directory that no other temporary file is likely to have: the run's stamp, so
// that a later run can tell one left by a killed process, and six letters or digits drawn from
// the system's random source.
std::string FreshName(const std::string& directory)
{
    static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    unsigned char bytes[6];
    if (::getrandom(bytes, sizeof bytes, 0) != ssize_t(sizeof bytes)) {
        // Without the random source, a count and the clock still differ from one call to the next.
        static std::atomic<uint64_t> count{0};
        uint64_t value = uint64_t(std::chrono::steady_clock::now().time_since_epoch().count()) ^ (count++ << 40);
        for (unsigned char& byte : bytes) {
            byte = static_cast<unsigned char>(value);
            value >>= 8;
        }
    }
    std::string name = directory + ".zorvex-" + RunStamp::OfThisProcess().Text() + "-";
    for (const unsigned char byte : bytes)
        name += kLetters[byte % (sizeof kLetters - 1)];
    return name;
}

// Calls create with fresh names until one is not taken, holding each name for removal by a signal
// before it exists. Stores the name created in chosen. False when create failed for another reason.
template <typename Create>
bool CreateUnderFreshName(const std::string& directory, PendingTemporary& pending, std::string& chosen, Create create)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = FreshName(directory);
        pending.Hold(name);
        if (create(name)) {
            chosen = name;
            return true;
        }
        const int error = errno;
        pending.Release();
        if (error != EEXIST)
            return false;
    }
    return false;
}

} // namespace

AtomicFile::AtomicFile() = default;

AtomicFile::~AtomicFile()
{
    // A file exchanged but never finished belongs to a set that did not change whole.
    Undo();
    Discard();
}

bool AtomicFile::Open(const std::string& path, Durability durability)
{
    Discard();
    path_ = path;
    durability_ = durability;
    const size_t slash = path.rfind('/');
    directory_ = slash != std::string::npos ? path.substr(0, slash + 1) : "./";
    // An unnamed file vanishes with the process however it ends. It is named at the commit through
    // its entry in /proc, so it is used only where that entry can be reached.
    if (::access("/proc/self/fd", X_OK) == 0)
        fd_ = ::open(directory_.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd_ < 0 && !OpenNamed())
        return false;
    buffer_ = std::make_unique<Buffer>(fd_);
    stream_ = std::make_unique<std::ostream>(buffer_.get());
    return true;
}

bool AtomicFile::OpenNamed()
{
    // Created with 0666 so that the system applies the umask, as for any file the user creates.
    return CreateUnderFreshName(directory_, pending_, temporaryPath_, [this](const std::string& name) {
        fd_ = ::open(name.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
        return fd_ >= 0;
    });
}

std::ostream& AtomicFile::stream()
{
    return *stream_;
}

bool AtomicFile::Commit()
{
    if (!Prepare())
        return false;
    if (!Exchange()) {
        Discard();
        return false;
    }
    return Finish();
}

bool AtomicFile::Prepare()
{
    if (fd_ < 0 || step_ != Step::Writing)
        return false;
    stream_->flush();
    bool ok = buffer_->Drain() && !stream_->bad();
    if (ok)
        KeepPermissions();
    if (ok && durability_ == Durability::Durable && ::fsync(fd_) != 0)
        ok = false;
    if (ok && temporaryPath_.empty() && !NameUnnamed())
        ok = false;
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0)
        ok = false;
    stream_.reset();
    buffer_.reset();
    if (!ok) {
        Discard();
        return false;
    }
    step_ = Step::Prepared;
    return true;
}

bool AtomicFile::NameUnnamed()
{
    const std::string link = "/proc/self/fd/" + std::to_string(fd_);
    return CreateUnderFreshName(directory_, pending_, temporaryPath_, [&link](const std::string& name) {
        return ::linkat(AT_FDCWD, link.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0;
    });
}

void AtomicFile::KeepPermissions()
{
    // A failure is not fatal: some file systems have no permission bits to set, and the text
    // itself is whole.
    struct stat target {};
    if (::lstat(path_.c_str(), &target) == 0 && S_ISREG(target.st_mode))
        ::fchmod(fd_, target.st_mode & 0777);
    struct stat made {};
    if (executable_ && ::fstat(fd_, &made) == 0)
        ::fchmod(fd_, (made.st_mode & 0777) | ((made.st_mode & 0444) >> 2));
}

bool AtomicFile::Exchange()
{
    if (step_ != Step::Prepared)
        return false;
    // Renaming over an existing file makes some file systems allocate and start writing the new
    // file's blocks at once, which costs as much as writing a large vector file. Exchanging the
    // two names is just as atomic, leaves the writing to the system's usual schedule and keeps
    // the old file under the temporary name until Finish removes it or Undo puts it back. A
    // directory in the way is not exchanged, so that the replacement fails.
    struct stat target {};
    const bool present = ::lstat(path_.c_str(), &target) == 0;
    if (present && S_ISDIR(target.st_mode)) {
        errno = EISDIR;
        return false;
    }
    if (present && ::renameat2(AT_FDCWD, temporaryPath_.c_str(), AT_FDCWD, path_.c_str(), RENAME_EXCHANGE) == 0) {
        replacedFile_ = true;
    } else if (::rename(temporaryPath_.c_str(), path_.c_str()) == 0) {
        // The temporary name is gone with the rename; a replaced file, if any, with it.
        replacedFile_ = false;
        pending_.Release();
        temporaryPath_.clear();
    } else {
        return false;
    }
    step_ = Step::Exchanged;
    return true;
}

bool AtomicFile::Undo()
{
    if (step_ != Step::Exchanged)
        return false;
    bool ok;
    if (replacedFile_) {
        // Exchanged back, the new file has the temporary name again and goes with it. Should the
        // exchange fail, the old file keeps the temporary name rather than being removed.
        ok = ::renameat2(AT_FDCWD, temporaryPath_.c_str(), AT_FDCWD, path_.c_str(), RENAME_EXCHANGE) == 0;
        if (ok)
            ::unlink(temporaryPath_.c_str());
    } else {
        ok = ::unlink(path_.c_str()) == 0 || errno == ENOENT;
    }
    pending_.Release();
    temporaryPath_.clear();
    step_ = Step::Writing;
    return ok;
}

bool AtomicFile::Finish()
{
    if (step_ != Step::Exchanged)
        return false;
    if (replacedFile_)
        ::unlink(temporaryPath_.c_str());
    pending_.Release();
    temporaryPath_.clear();
    step_ = Step::Writing;
    return durability_ != Durability::Durable || SyncDirectory();
}

bool AtomicFile::SyncDirectory()
{
    const int directory = ::open(directory_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (directory < 0)
        return false;
    // EINVAL: the file system has no way to flush a directory, and nothing more can be done.
    const bool synced = ::fsync(directory) == 0 || errno == EINVAL;
    ::close(directory);
    return synced;
}

void AtomicFile::Discard()
{
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    // A file that was exchanged is the caller's to finish or undo; anything else under the
    // temporary name is a new text that was never put in place.
    if (!temporaryPath_.empty() && step_ != Step::Exchanged)
        ::unlink(temporaryPath_.c_str());
    step_ = Step::Writing;
    pending_.Release();
    temporaryPath_.clear();
    stream_.reset();
    buffer_.reset();
}
