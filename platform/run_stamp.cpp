#include "platform/run_stamp.h"

#include <cerrno>
#include <charconv>
#include <fcntl.h>
#include <unistd.h>

namespace {

enum class StartTime { Read, NoProcess, Unknown };

// The start time of process pid from its /proc entry: field 22 of its stat line, counted after
// the command name's closing parenthesis, since the name itself may hold blanks and parentheses.
StartTime ReadStartTime(pid_t pid, unsigned long long& start)
{
    const std::string path = "/proc/" + std::to_string(pid) + "/stat";
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT || errno == ESRCH ? StartTime::NoProcess : StartTime::Unknown;
    char buffer[1024];
    ssize_t got;
    do {
        got = ::read(fd, buffer, sizeof buffer - 1);
    } while (got < 0 && errno == EINTR);
    ::close(fd);
    if (got <= 0)
        return got < 0 && errno == ESRCH ? StartTime::NoProcess : StartTime::Unknown;
    const std::string_view line(buffer, size_t(got));
    const size_t close = line.rfind(')');
    if (close == std::string_view::npos)
        return StartTime::Unknown;
    // After ")" and a blank come fields 3 (the state) onwards; each step finds the next field.
    size_t at = close + 1;
    for (int field = 3; field <= 22; ++field) {
        at = line.find(' ', at);
        if (at == std::string_view::npos)
            return StartTime::Unknown;
        ++at;
    }
    const auto [end, failed] = std::from_chars(line.data() + at, line.data() + line.size(), start);
    return failed == std::errc() && end != line.data() + at ? StartTime::Read : StartTime::Unknown;
}

// A decimal number without a sign or a leading zero, at the front of text.
template <typename Number> bool TakeNumber(std::string_view& text, Number& value)
{
    if (text.empty() || text.front() < '1' || text.front() > '9')
        return false;
    const auto [end, failed] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (failed != std::errc())
        return false;
    text.remove_prefix(size_t(end - text.data()));
    return true;
}

} // namespace

RunStamp RunStamp::OfThisProcess()
{
    // Cached: a process's start time never changes, and a child made by fork is no run of its own.
    static const RunStamp self = [] {
        RunStamp stamp;
        stamp.pid = ::getpid();
        if (ReadStartTime(stamp.pid, stamp.start) != StartTime::Read)
            stamp.start = 0;
        return stamp;
    }();
    return self;
}

std::string RunStamp::Text() const
{
    return std::to_string(pid) + "-" + std::to_string(start);
}

bool ParseRunStamp(std::string_view text, RunStamp& stamp, std::string_view& rest)
{
    long pid = 0;
    if (!TakeNumber(text, pid) || pid > 0x7fffffffL || text.empty() || text.front() != '-')
        return false;
    text.remove_prefix(1);
    if (!TakeNumber(text, stamp.start) || text.empty() || text.front() != '-')
        return false;
    stamp.pid = pid_t(pid);
    rest = text.substr(1);
    return true;
}

bool RunHasEnded(const RunStamp& stamp)
{
    // Without /proc nothing can be told: this process's own entry must be readable.
    unsigned long long mine = 0;
    if (ReadStartTime(::getpid(), mine) != StartTime::Read || stamp.start == 0)
        return false;
    unsigned long long start = 0;
    switch (ReadStartTime(stamp.pid, start)) {
    case StartTime::NoProcess:
        return true;
    case StartTime::Read:
        return start != stamp.start;
    case StartTime::Unknown:
        break;
    }
    return false;
}
