#include "platform/atomic_file.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <streambuf>
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

AtomicFile::AtomicFile() = default;

AtomicFile::~AtomicFile()
{
    Discard();
}

bool AtomicFile::Open(const std::string& path)
{
    Discard();
    path_ = path;
    std::string directory;
    const size_t slash = path.rfind('/');
    if (slash != std::string::npos)
        directory = path.substr(0, slash + 1);
    std::string pattern = directory + ".zorvex-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    fd_ = ::mkstemp(name.data());
    if (fd_ < 0)
        return false;
    temporaryPath_ = name.data();
    // mkstemp creates the file readable by its owner only; a replaced file should look like any
    // other file the user creates, so apply the usual mode under the process umask.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd_, 0666 & ~mask);
    buffer_ = std::make_unique<Buffer>(fd_);
    stream_ = std::make_unique<std::ostream>(buffer_.get());
    return true;
}

std::ostream& AtomicFile::stream()
{
    return *stream_;
}

bool AtomicFile::Commit()
{
    if (fd_ < 0)
        return false;
    stream_->flush();
    bool ok = buffer_->Drain() && !buffer_->failed() && !stream_->bad();
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0)
        ok = false;
    if (ok && !ReplaceTarget())
        ok = false;
    if (!ok)
        ::unlink(temporaryPath_.c_str());
    temporaryPath_.clear();
    stream_.reset();
    buffer_.reset();
    return ok;
}

bool AtomicFile::ReplaceTarget()
{
    // Renaming over an existing file makes some file systems allocate and start writing the new
    // file's blocks at once, which costs as much as writing a large vector file. Exchanging the
    // two names is just as atomic and leaves the writing to the system's usual schedule; the old
    // file, now under the temporary name, is then removed. Only a regular file is exchanged, so
    // that anything else in the way (a directory, say) makes the replacement fail as before.
    struct stat target {};
    if (::lstat(path_.c_str(), &target) == 0 && S_ISREG(target.st_mode)
        && ::renameat2(AT_FDCWD, temporaryPath_.c_str(), AT_FDCWD, path_.c_str(), RENAME_EXCHANGE) == 0) {
        ::unlink(temporaryPath_.c_str());
        return true;
    }
    return ::rename(temporaryPath_.c_str(), path_.c_str()) == 0;
}

void AtomicFile::Discard()
{
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
        ::unlink(temporaryPath_.c_str());
    }
    temporaryPath_.clear();
    stream_.reset();
    buffer_.reset();
}
