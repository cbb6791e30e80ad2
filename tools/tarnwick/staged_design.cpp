#include "tools/tarnwick/staged_design.h"

#include "host/path_split.h"
#include "host/wizard_app.h"
#include "interleaver/settings_mapping.h"
#include "model/interface_model.h"
#include "platform/atomic_file.h"
#include "platform/regular_file.h"
#include "tools/tarnwick/printable_text.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sstream>
#include <unistd.h>
#include <vector>

namespace {

std::string RetrievalInfoPath(const std::string& designPath)
{
    const SplitPath name = SplitDesignPath(designPath);
    return name.directory + name.baseName + ".cnx";
}

// Copies the file at from over the file at to in one step. A missing source is no failure: the
// wizard did not write that file, and the older one stays.
bool CopyInPlace(const std::string& from, const std::string& to, AtomicFile::Durability durability,
                 std::string& error)
{
    const int source = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (source < 0)
        return errno == ENOENT;
    AtomicFile target;
    bool ok = target.Open(to, durability);
    std::vector<char> chunk(1 << 16);
    while (ok) {
        const ssize_t got = ::read(source, chunk.data(), chunk.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            ok = got == 0;
            break;
        }
        target.stream().write(chunk.data(), got);
    }
    ::close(source);
    if (!ok || !target.Commit()) {
        error = "cannot write " + PrintableText(to);
        return false;
    }
    return true;
}

} // namespace

bool ReadStoredSettings(const std::string& designPath, InterleaverSettings& settings)
{
    std::string contents;
    if (!ReadRegularFile(RetrievalInfoPath(designPath), kMaxRetrievalInfoSize, contents))
        return false;
    std::istringstream in(std::move(contents));
    InterfaceModel model;
    if (!model.ReadPrivates(in, PrivateSettingNames()))
        return false;
    LoadSettingsFromModel(settings, model);
    return true;
}

StagedDesign::~StagedDesign()
{
    if (!folder_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
}

bool StagedDesign::Create(const std::string& designPath, const InterleaverSettings& settings, std::string& error)
{
    realDesign_ = designPath;
    const SplitPath name = SplitDesignPath(designPath);
    // Beside the design, so that its files are on the same file system and the folder is found
    // where a user looks for leftovers.
    std::string pattern = (name.directory.empty() ? std::string("./") : name.directory) + ".tarnwick-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        error = "cannot make a working folder beside " + PrintableText(designPath) + ": " + std::strerror(errno);
        return false;
    }
    // The wizard runs in the folder, so the design it is given must not be relative to here.
    folder_ = std::filesystem::absolute(pattern).string() + "/";
    stagedDesign_ = folder_ + name.baseName + name.extension;

    InterfaceModel model;
    AddInterleaverEntries(settings, model);
    std::ostringstream text;
    model.Write(text);
    AtomicFile file;
    if (!file.Open(folder_ + name.baseName + ".cnx", AtomicFile::Durability::Regenerable)) {
        error = "cannot write in " + PrintableText(folder_);
        return false;
    }
    file.stream() << text.str();
    if (!file.Commit()) {
        error = "cannot write in " + PrintableText(folder_);
        return false;
    }
    return true;
}

bool StagedDesign::Install(std::string& error) const
{
    const SplitPath name = SplitDesignPath(realDesign_);
    const std::string vectorFile = name.baseName + ".vec";
    // The retrieval information is the user's only record of the variation; the vector file can
    // be made again.
    return CopyInPlace(RetrievalInfoPath(stagedDesign_), RetrievalInfoPath(realDesign_),
                       AtomicFile::Durability::Durable, error)
        && CopyInPlace(folder_ + vectorFile, vectorFile, AtomicFile::Durability::Regenerable, error);
}
