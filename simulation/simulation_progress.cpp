#include "simulation/simulation_progress.h"

#include <algorithm>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

RecordWatch::RecordWatch(RunLimits& limits, std::string path, std::int64_t total, SimulationProgress progress)
    : limits_(limits), path_(std::move(path)), total_(total), progress_(std::move(progress))
{
    if (progress_)
        limits_.whileRunning = [this] { progress_(Lines(), total_); };
}

RecordWatch::~RecordWatch()
{
    limits_.whileRunning = nullptr;
}

std::int64_t RecordWatch::Lines()
{
    const int fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return lines_;
    char buffer[1 << 16];
    for (;;) {
        const ssize_t got = ::pread(fd, buffer, sizeof buffer, counted_);
        if (got <= 0)
            break;
        lines_ += std::count(buffer, buffer + got, '\n');
        counted_ += got;
    }
    ::close(fd);
    return lines_;
}
