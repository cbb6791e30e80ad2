#include "simulation/waveform_file.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <sstream>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

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

// A $timescale: a count of a unit ("100 ps"), the unit in nanoseconds.
struct Timescale {
    long double count = 0;
    long double unitNanoseconds = 0;

    long double nanoseconds() const { return count * unitNanoseconds; }
};

// The $timescale of a VCD header ("1ns", "1 fs", "100 ps"); a count of 0 when there is none.
Timescale ReadTimescale(std::string_view head)
{
    Timescale timescale;
    const size_t at = head.find("$timescale");
    if (at == std::string_view::npos)
        return timescale;
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
        if (rest.substr(0, unit.unit.size()) == unit.unit) {
            timescale.count = count;
            timescale.unitNanoseconds = unit.nanoseconds;
            break;
        }
    }
    return timescale;
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
    unitNanoseconds = ReadTimescale(head).nanoseconds();
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

namespace {

// The scale from a $timescale unit to nanoseconds, as a whole divisor: 1 for ns, 1000 for ps,
// 1000000 for fs; 0 for anything else.
std::int64_t NanosecondDivisor(long double unitNanoseconds)
{
    for (const std::int64_t divisor : {std::int64_t(1), std::int64_t(1000), std::int64_t(1000000)}) {
        if (unitNanoseconds * static_cast<long double>(divisor) > 0.999L
            && unitNanoseconds * static_cast<long double>(divisor) < 1.001L)
            return divisor;
    }
    return 0;
}

// One variable of a waveform's scope: its reference as GTKWave names it, and its width.
struct WaveVariable {
    std::string name;
    int width = 1;
};

// The variables of the first scope that holds any, in the header's order, and that scope's dotted
// path (a simulator may wrap the testbench in a scope of its own, such as Verilator's TOP).
std::vector<WaveVariable> ScopeVariables(const std::string& header, std::string& scope)
{
    std::vector<WaveVariable> variables;
    std::vector<std::string> open;
    std::istringstream words(header);
    const auto path = [&] {
        std::string dotted;
        for (const std::string& name : open)
            dotted += (dotted.empty() ? "" : ".") + name;
        return dotted;
    };
    for (std::string word; words >> word && word != "$enddefinitions";) {
        if (word == "$scope") {
            std::string kind;
            std::string name;
            words >> kind >> name;
            open.push_back(name);
        } else if (word == "$upscope") {
            if (!open.empty())
                open.pop_back();
        } else if (word == "$var") {
            // $var kind width id name [range] $end, the range written apart or joined to the name.
            WaveVariable variable;
            std::string kind;
            std::string id;
            words >> kind >> variable.width >> id >> variable.name;
            for (std::string rest; words >> rest && rest != "$end";)
                variable.name += rest;
            if (scope.empty())
                scope = path();
            const bool seen = std::any_of(variables.begin(), variables.end(),
                                          [&](const WaveVariable& v) { return v.name == variable.name; });
            if (path() == scope && !seen)
                variables.push_back(variable);
        }
    }
    return variables;
}

// The variables in the order of the design's ports, whatever order the simulator wrote them in
// (Verilator sorts them by name); those that are no port follow in the header's order.
std::vector<WaveVariable> InPortOrder(std::vector<WaveVariable> variables, const std::vector<std::string>& ports)
{
    const auto rank = [&](const WaveVariable& variable) {
        const std::string name = variable.name.substr(0, variable.name.find('['));
        return std::find(ports.begin(), ports.end(), name) - ports.begin();
    };
    std::stable_sort(variables.begin(), variables.end(),
                     [&](const WaveVariable& a, const WaveVariable& b) { return rank(a) < rank(b); });
    return variables;
}

} // namespace

bool WaveformInNanoseconds(const std::string& path, std::string& error)
{
    long double unit = 0;
    std::int64_t last = 0;
    if (!ReadWaveformEnd(path, unit, last)) {
        error = "the simulator's waveform cannot be read";
        return false;
    }
    const std::int64_t divisor = NanosecondDivisor(unit);
    if (divisor <= 1)
        return true;
    std::ifstream in(path, std::ios::binary);
    const std::string converted = path + ".ns";
    std::ofstream out(converted, std::ios::binary | std::ios::trunc);
    bool inTimescale = false;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("$timescale", 0) == 0) {
            inTimescale = line.find("$end") == std::string::npos;
            out << "$timescale 1ns $end\n";
            continue;
        }
        if (inTimescale) {
            inTimescale = line.find("$end") == std::string::npos;
            continue;
        }
        if (line.size() > 1 && line[0] == '#') {
            std::int64_t time = 0;
            const auto [end, failed] = std::from_chars(line.data() + 1, line.data() + line.size(), time);
            if (failed != std::errc() || time % divisor != 0) {
                std::filesystem::remove(converted);
                return true;
            }
            out << '#' << time / divisor << '\n';
            continue;
        }
        out << line << '\n';
    }
    out.close();
    std::error_code failed;
    if (out && !in.bad())
        std::filesystem::rename(converted, path, failed);
    if (!out || in.bad() || failed) {
        std::filesystem::remove(converted, failed);
        error = "the simulator's waveform cannot be rewritten in nanoseconds";
        return false;
    }
    return true;
}

namespace {

// The view's tree, each level of scope open, and its traces: the variables in order.
void WriteTraces(const std::string& scope, const std::vector<WaveVariable>& variables, std::ostream& text)
{
    for (size_t dot = scope.find('.'); dot != std::string::npos; dot = scope.find('.', dot + 1))
        text << "[treeopen] " << scope.substr(0, dot) << ".\n";
    text << "[treeopen] " << scope << ".\n";
    int flags = 0;
    for (const WaveVariable& variable : variables) {
        // Binary for a single bit, decimal for a bus (an address counts in words); both
        // right-justified.
        const int wanted = variable.width > 1 ? 0x24 : 0x28;
        if (wanted != flags)
            text << "@" << std::hex << wanted << std::dec << "\n";
        flags = wanted;
        text << scope << "." << variable.name << "\n";
    }
}

} // namespace

std::string GtkwaveSaveFile(const std::string& wavePath, const std::string& vcdPath, const WaveformView& view)
{
    long double unit = 0;
    std::int64_t last = 0;
    const int fd = ::open(wavePath.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return {};
    const std::string header = ReadAt(fd, 0, kEndSize);
    ::close(fd);
    std::string scope;
    const std::vector<WaveVariable> variables = InPortOrder(ScopeVariables(header, scope), view.ports);
    if (!ReadWaveformEnd(wavePath, unit, last) || variables.empty() || last <= 0)
        return {};
    // GTKWave counts time in the unit of the dump's $timescale: a "10 ns" dump's in nanoseconds, a
    // "1 ps" dump's (one with times between whole nanoseconds) in picoseconds.
    const Timescale timescale = ReadTimescale(header);
    const auto dumpTime = [&](std::int64_t nanoseconds) {
        return std::int64_t(std::llround(static_cast<long double>(nanoseconds) / timescale.unitNanoseconds));
    };
    const std::int64_t end = std::llround(static_cast<long double>(last) * timescale.count);
    std::int64_t from = view.windowStart ? std::clamp<std::int64_t>(dumpTime(*view.windowStart), 0, end) : 0;
    std::int64_t to = view.windowEnd ? std::clamp<std::int64_t>(dumpTime(*view.windowEnd), 0, end) : end;
    if (to <= from) {
        from = 0;
        to = end;
    }
    // GTKWave shows 2^(zoom + 7.64) pixels per unit of the dump's time (measured); the window
    // takes about 760 of the wave area's pixels in a window of 1200. Zooming out reaches the
    // whole run, which the dump holds from its start.
    const double zoom = std::log2(760.0 / double(to - from)) - 7.64;
    std::ostringstream text;
    text << "[*] GTKWave view of the design's ports, written with the waveform\n";
    // A line of the file holds one value, and a quoted one ends at the next quote: a path with a
    // line end or a quote cannot be written, and the view is then opened with the waveform named
    // beside it, as the run's report shows.
    if (vcdPath.find_first_of("\"\r\n") == std::string::npos)
        text << "[dumpfile] \"" << vcdPath << "\"\n";
    text << "[timestart] " << from << "\n"
         << "[size] 1200 600\n"
         << "*" << std::fixed << std::setprecision(6) << zoom << " -1";
    // Named markers A and B at the first input and output, where the run had them; no others.
    const std::optional<std::int64_t> marks[] = {view.firstInput, view.firstOutput};
    for (int marker = 0; marker < 26; ++marker)
        text << " " << (marker < 2 && marks[marker] ? dumpTime(*marks[marker]) : -1);
    text << "\n";
    if (view.firstInput)
        text << "[markername] Afirst input\n";
    if (view.firstOutput)
        text << "[markername] Bfirst output\n";
    WriteTraces(scope, variables, text);
    return text.str();
}
