#include "tests/tools/tarnwick_process.h"

#include "tests/support/file_text.h"

#include <fcntl.h>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>

extern char** environ;

namespace {

std::filesystem::path OutFile(const std::filesystem::path& directory) { return directory / "run.stdout"; }
std::filesystem::path ErrFile(const std::filesystem::path& directory) { return directory / "run.stderr"; }

} // namespace

ProcessRun StartProgram(const std::vector<std::string>& args, const std::filesystem::path& directory,
                        const std::map<std::string, std::string>& extra)
{
    std::vector<std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        if (extra.count(text.substr(0, text.find('='))) == 0)
            environment.push_back(text);
    }
    for (const auto& [name, value] : extra)
        environment.push_back(name + "=" + value);

    std::vector<char*> argv;
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (const std::string& entry : environment)
        envp.push_back(const_cast<char*>(entry.c_str()));
    envp.push_back(nullptr);

    const std::filesystem::path outFile = OutFile(directory);
    const std::filesystem::path errFile = ErrFile(directory);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, directory.c_str());
    posix_spawn_file_actions_addopen(&actions, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);

    ProcessRun run;
    const int failure = posix_spawn(&run.pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (failure != 0)
        run.pid = -1;
    return run;
}

void FinishProgram(ProcessRun& run, const std::filesystem::path& directory)
{
    if (run.pid < 0)
        return;
    int status = 0;
    if (waitpid(run.pid, &status, 0) == run.pid && WIFEXITED(status))
        run.exitStatus = WEXITSTATUS(status);
    run.out = ReadFileText(OutFile(directory));
    run.err = ReadFileText(ErrFile(directory));
    std::filesystem::remove(OutFile(directory));
    std::filesystem::remove(ErrFile(directory));
}

ProcessRun RunProgram(const std::vector<std::string>& args, const std::filesystem::path& directory,
                      const std::map<std::string, std::string>& extra)
{
    ProcessRun run = StartProgram(args, directory, extra);
    FinishProgram(run, directory);
    return run;
}
