// Stands in for the wizard in tarnwick's tests. Reads the host id from its -h argument, records its
// arguments in the file STAND_IN_ARGS, its process id and what it was given for the ending signals
// in the file STAND_IN_SELF, waits (up to STAND_IN_WAIT_SECONDS, ten by default) until the file
// STAND_IN_WAIT_FOR exists when that is set, sends the messages listed in STAND_IN_MESSAGES (separated by ';') to the
// host's socket, writes the two files the wizard writes when the run ends written (status 0 or 3),
// deletes the design's .cnx on a cancel (status 2) as the wizard does, and ends with
// STAND_IN_STATUS, a number or "kill" for SIGKILL.
#include <chrono>
#include <csignal>
#include <cstddef>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <utility>
#include <unistd.h>

namespace {

std::string Env(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

void Send(int fd, const std::string& host, const std::string& text)
{
    const std::string name = "tarnwick-" + host;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path + 1, name.data(), name.size());
    const socklen_t length = socklen_t(offsetof(sockaddr_un, sun_path) + 1 + name.size());
    ::sendto(fd, text.data(), text.size(), MSG_DONTWAIT, reinterpret_cast<const sockaddr*>(&address), length);
}

// Writes "<pid>" and then one line per signal, "<name> default|ignored|handled blocked|unblocked",
// under a temporary name first, so that a reader never finds the file half written.
void RecordSelf(const std::string& path)
{
    const std::string temporary = path + ".part";
    {
        std::ofstream out(temporary);
        out << ::getpid() << '\n';
        sigset_t blocked;
        ::sigprocmask(SIG_BLOCK, nullptr, &blocked);
        const std::pair<int, const char*> signals[] = {
            {SIGINT, "INT"}, {SIGQUIT, "QUIT"}, {SIGTERM, "TERM"}, {SIGHUP, "HUP"}, {SIGPIPE, "PIPE"}};
        for (const auto& [signal, name] : signals) {
            struct sigaction action {};
            ::sigaction(signal, nullptr, &action);
            out << name << ' '
                << (action.sa_handler == SIG_DFL ? "default" : action.sa_handler == SIG_IGN ? "ignored" : "handled")
                << ' ' << (sigismember(&blocked, signal) ? "blocked" : "unblocked") << '\n';
        }
    }
    std::rename(temporary.c_str(), path.c_str());
}

} // namespace

int main(int argc, char** argv)
{
    std::string host;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "-h", 2) == 0)
            host = argv[i] + 2;
    }
    const std::string argsFile = Env("STAND_IN_ARGS");
    if (!argsFile.empty()) {
        std::ofstream out(argsFile);
        for (int i = 0; i < argc; ++i)
            out << argv[i] << '\n';
    }
    if (!Env("STAND_IN_SELF").empty())
        RecordSelf(Env("STAND_IN_SELF"));
    const std::string waitFor = Env("STAND_IN_WAIT_FOR");
    const int waitSeconds = Env("STAND_IN_WAIT_SECONDS").empty() ? 10 : std::atoi(Env("STAND_IN_WAIT_SECONDS").c_str());
    for (int tries = 0; !waitFor.empty() && tries < waitSeconds * 100 && ::access(waitFor.c_str(), F_OK) != 0; ++tries)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (!host.empty()) {
        const int fd = ::socket(AF_UNIX, SOCK_DGRAM, 0);
        std::string messages = Env("STAND_IN_MESSAGES");
        size_t start = 0;
        while (fd >= 0 && start < messages.size()) {
            size_t end = messages.find(';', start);
            if (end == std::string::npos)
                end = messages.size();
            Send(fd, host, messages.substr(start, end - start));
            start = end + 1;
        }
        if (fd >= 0)
            ::close(fd);
    }

    const std::string status = Env("STAND_IN_STATUS");
    if (status == "kill")
        ::raise(SIGKILL);
    const int code = std::atoi(status.c_str());
    if (argc > 1) {
        const std::string design = argv[argc - 1];
        const size_t slash = design.rfind('/');
        const std::string directory = slash == std::string::npos ? "" : design.substr(0, slash + 1);
        const std::string name = design.substr(directory.size());
        const std::string base = name.substr(0, name.rfind('.'));
        if (code == 0 || code == 3) {
            std::ofstream(directory + base + ".cnx") << "GENERATION: STANDARD\n";
            std::ofstream(base + ".vec") << "START 0;\n";
        } else if (code == 2) {
            std::remove((directory + base + ".cnx").c_str());
        }
    }
    return code;
}
