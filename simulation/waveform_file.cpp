#include "simulation/waveform_file.h"

#include <cctype>
#include <cerrno>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// How much of either end of the file is read: the header with $timescale, and the last time.
constexpr size_t kEndSize = 64 * 1024;

// Up to size bytes of the open file from offset.
std::string ReadAt(int fd, off_t offset, size_t size)
{
    std::string text(size, '\0');
    size_t done = 0;
    while (done < size) {
        const ssize_t got = ::pread(fd, text.data() + done, size - done, offset + off_t(done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        done += size_t(got);
    }
    text.resize(done);
    return text;
}

// The $timescale's unit in nanoseconds ("1ns", "1 fs", "100 ps"); 0 when there is none.
long double TimescaleNanoseconds(std::string_view head)
{
    const size_t at = head.find("$timescale");
    if (at == std::string_view::npos)
        return 0;
    size_t k = at + 10;
    const auto skipBlanks = [&] {
        while (k < head.size() && std::isspace(static_cast<unsigned char>(head[k])))
            ++k;
    };
    skipBlanks();
    long double count = 0;
    for (; k < head.size() && std::isdigit(static_cast<unsigned char>(head[k])); ++k)
        count = count * 10 + (head[k] - '0');
    skipBlanks();
    const std::string_view rest = head.substr(k, 2);
    const struct {
        std::string_view unit;
        long double nanoseconds;
    } kUnits[] = {{"fs", 1e-6L}, {"ps", 1e-3L}, {"ns", 1.0L}, {"us", 1e3L}, {"ms", 1e6L}, {"s", 1e9L}};
    for (const auto& unit : kUnits) {
        if (rest.substr(0, unit.unit.size()) == unit.unit)
            return count * unit.nanoseconds;
    }
    return 0;
}

// The last "#time" line in the tail of a VCD file; -1 when there is none.
std::int64_t LastTime(std::string_view tail)
{
    size_t end = tail.size();
    while (end > 0) {
        const size_t start = tail.rfind('\n', end - 1);
        const size_t from = start == std::string_view::npos ? 0 : start + 1;
        const std::string_view line = tail.substr(from, end - from);
        if (line.size() > 1 && line[0] == '#') {
            std::int64_t time = 0;
            size_t k = 1;
            for (; k < line.size() && std::isdigit(static_cast<unsigned char>(line[k])); ++k)
                time = time * 10 + (line[k] - '0');
            if (k > 1)
                return time;
        }
        if (start == std::string_view::npos)
            break;
        end = start;
    }
    return -1;
}

} // namespace

bool ReadWaveformEnd(const std::string& path, long double& unitNanoseconds, std::int64_t& lastTime)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return false;
    struct stat status {};
    const bool regular = ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
    const std::string head = regular ? ReadAt(fd, 0, kEndSize) : std::string();
    const off_t from = status.st_size > off_t(kEndSize) ? status.st_size - off_t(kEndSize) : 0;
    const std::string tail = regular ? ReadAt(fd, from, kEndSize) : std::string();
    ::close(fd);
    unitNanoseconds = TimescaleNanoseconds(head);
    lastTime = LastTime(tail);
    return regular && unitNanoseconds > 0 && lastTime >= 0;
}

bool WaveformIsWhole(const std::string& path, std::int64_t stopNanoseconds, std::string& error)
{
    long double unit = 0;
    std::int64_t last = 0;
    if (!ReadWaveformEnd(path, unit, last)) {
        error = "the simulator's waveform cannot be read; it was not kept";
        return false;
    }
    const long double reached = static_cast<long double>(last) * unit;
    if (reached + 0.5L >= static_cast<long double>(stopNanoseconds))
        return true;
    error = "the simulator's waveform ends at " + std::to_string(std::int64_t(reached)) + " ns, before the vector "
        + "file's STOP at " + std::to_string(stopNanoseconds) + " ns (a full disk?); it was not kept";
    return false;
}
