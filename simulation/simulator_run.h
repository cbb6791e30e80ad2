#pragma once

#include <string>
#include <vector>

// The program name on PATH, as execvp would find it; empty when it is not there.
std::string FindOnPath(const std::string& program);

// A folder of its own under TMPDIR, removed with everything in it when this goes.
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

// Runs args in folder with its output and errors into folder/log; true when it exits with 0.
// Otherwise error tells which step failed, with the end of what the program said.
bool RunStep(const std::vector<std::string>& args, const std::string& folder, std::string& error);

// Writes text to path whole; false with the reason otherwise.
bool WriteFile(const std::string& path, const std::string& text, std::string& error);

// iverilog's options that let the sources include the files beside them: -I and the folder of
// each source, in their order, each once (iverilog looks for an included file in its include
// path only, not beside the file that includes it).
std::vector<std::string> IncludeFolderOptions(const std::vector<std::string>& sources);
