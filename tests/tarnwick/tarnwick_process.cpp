#include "tests/tarnwick/tarnwick_process.h"

#include "tests/support/file_text.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace {

std::filesystem::path OutFile(const std::filesystem::path& directory, const std::string& name)
{
    return directory / (name + ".stdout");
}
std::filesystem::path ErrFile(const std::filesystem::path& directory, const std::string& name)
{
    return directory / (name + ".stderr");
}

} // namespace

ProcessRun StartProgram(const std::vector<std::string>& args, const std::filesystem::path& directory,
                        const std::map<std::string, std::string>& extra, const std::string& name)
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

    const std::filesystem::path outFile = OutFile(directory, name);
    const std::filesystem::path errFile = ErrFile(directory, name);
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

void FinishProgram(ProcessRun& run, const std::filesystem::path& directory, const std::string& name)
{
    if (run.pid < 0)
        return;
    int status = 0;
    if (waitpid(run.pid, &status, 0) == run.pid) {
        if (WIFEXITED(status))
            run.exitStatus = WEXITSTATUS(status);
        else if (WIFSIGNALED(status))
            run.endSignal = WTERMSIG(status);
    }
    run.out = ReadFileText(OutFile(directory, name));
    run.err = ReadFileText(ErrFile(directory, name));
    std::filesystem::remove(OutFile(directory, name));
    std::filesystem::remove(ErrFile(directory, name));
}

ProcessRun RunProgram(const std::vector<std::string>& args, const std::filesystem::path& directory,
                      const std::map<std::string, std::string>& extra, const std::string& name)
{
    ProcessRun run = StartProgram(args, directory, extra, name);
    FinishProgram(run, directory, name);
    return run;
}

std::map<std::string, std::string> FolderFiles(const std::vector<std::filesystem::path>& folders)
{
    std::map<std::string, std::string> files;
    for (const std::filesystem::path& folder : folders) {
        for (const std::filesystem::directory_entry& entry : std::filesystem::directory_iterator(folder)) {
            const std::string extension = entry.path().extension().string();
            if (extension == ".stdout" || extension == ".stderr")
                continue;
            files[entry.path().string()] = entry.is_regular_file() ? ReadFileText(entry.path()) : "(folder)";
        }
    }
    return files;
}

bool WaitUntil(const std::function<bool()>& ready, std::chrono::seconds bound)
{
    const auto deadline = std::chrono::steady_clock::now() + bound;
    while (!ready()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

bool ProcessGone(pid_t pid)
{
    if (::kill(pid, 0) != 0)
        return errno == ESRCH;
    // The third field of the process's status line is its state; Z is a zombie.
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const size_t close = text.rfind(')');
    return close != std::string::npos && text.compare(close, 3, ") Z") == 0;
}
