#include "tarnwick/design_install.h"

#include "design/design.h"
#include "platform/printable_text.h"
#include "platform/run_stamp.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A hidden name beside path that nothing else has, for the file kept there: the run's stamp, so
// that a later run can tell one a killed run left, and six random letters or digits.
std::string KeptName(const std::string& path, std::mt19937_64& random)
{
    static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    const size_t slash = path.rfind('/');
    std::string name = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1))
        + std::string(kKeptFilePrefix) + RunStamp::OfThisProcess().Text() + "-";
    for (int i = 0; i < 6; ++i)
        name += kLetters[random() % (sizeof kLetters - 1)];
    return name;
}

} // namespace

DesignInstall::~DesignInstall()
{
    if (!done_)
        Abandon();
}

bool DesignInstall::AddText(const std::string& path, const std::string& text, AtomicFile::Durability durability,
                            std::string& error)
{
    auto file = std::make_unique<AtomicFile>();
    if (!file->Open(path, durability) || !(file->stream() << text) || !file->Prepare()) {
        error = "cannot write " + PrintableText(path);
        return false;
    }
    new_.push_back({path, std::move(file)});
    return true;
}

bool DesignInstall::AddScript(const std::string& path, const std::string& text, std::string& error)
{
    auto file = std::make_unique<AtomicFile>();
    file->MakeExecutable();
    if (!file->Open(path, AtomicFile::Durability::Regenerable) || !(file->stream() << text) || !file->Prepare()) {
        error = "cannot write " + PrintableText(path);
        return false;
    }
    new_.push_back({path, std::move(file)});
    return true;
}

bool DesignInstall::AddCopy(const std::string& source, const std::string& path, AtomicFile::Durability durability,
                            std::string& error)
{
    const int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0 && errno == ENOENT)
        return true;
    if (in < 0) {
        error = "cannot read " + PrintableText(source) + ": " + std::strerror(errno);
        return false;
    }
    auto file = std::make_unique<AtomicFile>();
    bool ok = file->Open(path, durability);
    bool readable = true;
    std::vector<char> chunk(1 << 16);
    while (ok) {
        const ssize_t got = ::read(in, chunk.data(), chunk.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            readable = got == 0;
            break;
        }
        ok = bool(file->stream().write(chunk.data(), got));
    }
    ::close(in);
    if (!readable) {
        error = "cannot read " + PrintableText(source);
        return false;
    }
    if (!ok || !file->Prepare()) {
        error = "cannot write " + PrintableText(path);
        return false;
    }
    new_.push_back({path, std::move(file)});
    return true;
}

bool DesignInstall::Keep(const std::string& path, std::string& error)
{
    struct stat old {};
    if (::lstat(path.c_str(), &old) != 0) {
        // Nothing to keep: a file the wizard puts there is removed again if the set fails.
        if (errno == ENOENT)
            kept_.push_back({path, std::string()});
        return true;
    }
    if (S_ISDIR(old.st_mode))
        return true; // a folder in the way is never replaced
    std::mt19937_64 random(std::random_device{}());
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string backup = KeptName(path, random);
        if (::linkat(AT_FDCWD, path.c_str(), AT_FDCWD, backup.c_str(), 0) == 0) {
            kept_.push_back({path, backup});
            return true;
        }
        if (errno != EEXIST)
            break;
    }
    error = "cannot keep the older " + PrintableText(path) + ": " + std::strerror(errno);
    return false;
}

bool DesignInstall::Commit(std::string& error)
{
    size_t exchanged = 0;
    for (; exchanged < new_.size(); ++exchanged) {
        if (!new_[exchanged].file->Exchange())
            break;
    }
    if (exchanged < new_.size()) {
        error = "cannot replace " + PrintableText(new_[exchanged].path) + ": " + std::strerror(errno);
        while (exchanged > 0)
            new_[--exchanged].file->Undo();
        Abandon();
        return false;
    }
    bool synced = true;
    for (NewFile& entry : new_)
        synced = entry.file->Finish() && synced;
    for (const KeptFile& kept : kept_) {
        if (!kept.backup.empty())
            ::unlink(kept.backup.c_str());
    }
    new_.clear();
    kept_.clear();
    done_ = true;
    if (!synced) {
        error = "the new files are in place, but their folder could not be forced to the disk";
        return false;
    }
    return true;
}

void DesignInstall::Abandon()
{
    new_.clear();
    for (auto kept = kept_.rbegin(); kept != kept_.rend(); ++kept) {
        if (kept->backup.empty())
            ::unlink(kept->path.c_str());
        else
            ::rename(kept->backup.c_str(), kept->path.c_str());
    }
    kept_.clear();
    done_ = true;
}
