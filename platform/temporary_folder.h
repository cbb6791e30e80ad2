#pragma once

#include <string>

// The absolute folder temporary folders are made in: TMPDIR, or /tmp without it.
std::string TemporaryBase();

// Whether the tools can be given paths in TemporaryBase: false, with the reason naming TMPDIR,
// when its path holds a blank, a quote, a line end or another character they cannot take.
bool CheckTemporaryBase(std::string& error);

// A folder of its own under TemporaryBase, tarnwick-sim-<stamp>-XXXXXX with the run's stamp, and
// in it tmp, where the tools keep their own temporary files; removed with everything in it when
// this goes.
class TemporaryFolder {
public:
    TemporaryFolder() = default;
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;
    ~TemporaryFolder();

    bool Create(std::string& error);
    const std::string& path() const { return path_; }

private:
    std::string path_;
};
