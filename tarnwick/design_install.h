#pragma once

#include "platform/atomic_file.h"

#include <memory>
#include <string>
#include <vector>

// The files of one design changed as one: every new file is written beside its target first, and
// only when all of them are whole do they take their places, one after the other in the order
// added, so that the retrieval information, added last, is the commit.
class DesignInstall {
public:
    DesignInstall() = default;
    DesignInstall(const DesignInstall&) = delete;
    DesignInstall& operator=(const DesignInstall&) = delete;
    // Without a successful Commit, puts back what the wizard replaced and discards the new files.
    ~DesignInstall();

    // A new text for path. False with the reason in error when it cannot be written beside path.
    bool AddText(const std::string& path, const std::string& text, AtomicFile::Durability durability,
                 std::string& error);
    // As AddText, a file that can be made again, made executable: a script.
    bool AddScript(const std::string& path, const std::string& text, std::string& error);
    // A copy of the file at source for path; a source that is missing adds nothing (the older file
    // stays). False with the reason in error when it cannot be read or written.
    bool AddCopy(const std::string& source, const std::string& path, AtomicFile::Durability durability,
                 std::string& error);
    // Keeps the file now at path, if there is one, to be put back if the set does not change whole.
    // False with the reason in error when it cannot be kept.
    bool Keep(const std::string& path, std::string& error);

    // Puts every new file in its place, in the order added. False with the reason in error when a
    // step failed; every file is then as it was before the run.
    bool Commit(std::string& error);
    // Puts back every kept file and discards the new ones.
    void Abandon();

private:
    struct NewFile {
        std::string path;
        std::unique_ptr<AtomicFile> file;
    };
    struct KeptFile {
        std::string path;
        std::string backup; // empty: there was no file, so one found there now is removed
    };
    std::vector<NewFile> new_;
    std::vector<KeptFile> kept_;
    bool done_ = false;
};
