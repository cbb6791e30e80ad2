// Times a silent run of the wizard on its largest valid variation (convolutional, internal memory,
// I = 40, J = 500, W = 8: 2,340,014 ramp lines) against `cp` of a file of the same size, side by
// side in one run, and reports the medians, their ratio and the wizard's peak resident memory.
// Further wizards (other builds, say before and after a change) take their turns in the same runs,
// each in its own folder, so that they are compared under the same conditions.
//
//   silent_run_bench <path to zorvex> [runs] [path to another zorvex...]
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Sample {
    double seconds;
    long maxRssKiB;
};

Sample RunChild(const std::vector<std::string>& argv, const fs::path& cwd)
{
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(cwd.c_str()) != 0)
            _exit(127);
        std::vector<char*> args;
        for (const std::string& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    const auto end = std::chrono::steady_clock::now();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s failed\n", argv[0].c_str());
        std::exit(1);
    }
    return {std::chrono::duration<double>(end - start).count(), usage.ru_maxrss};
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// One wizard under test, with the folder of its design and its samples.
struct Wizard {
    std::string program;
    fs::path dir;
    std::vector<std::string> args;
    std::vector<double> times;
    long peakRss = 0;
};

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <zorvex> [runs] [zorvex...]\n", argv[0]);
        return 2;
    }
    const int runs = argc > 2 ? std::atoi(argv[2]) : 11;
    const fs::path dir = fs::temp_directory_path() / ("zorvex-bench-" + std::to_string(getpid()));
    std::vector<Wizard> wizards;
    for (int i = 1; i < argc; ++i) {
        if (i == 2)
            continue;
        Wizard wizard;
        wizard.program = fs::absolute(argv[i]).string();
        wizard.dir = dir / std::to_string(wizards.size());
        fs::create_directories(wizard.dir);
        std::ofstream cnx(wizard.dir / "big.cnx");
        cnx << "PRIVATE: CHARACTERISTIC_I NUMERIC \"40\"\nPRIVATE: CHARACTERISTIC_J NUMERIC \"500\"\n";
        wizard.args = {wizard.program, "-silent", (wizard.dir / "big.vhd").string()};
        wizards.push_back(std::move(wizard));
    }
    for (const Wizard& wizard : wizards)
        RunChild(wizard.args, wizard.dir); // warm the page cache and make the file to copy
    const fs::path copySource = dir / "copy-source.vec";
    fs::copy_file(wizards[0].dir / "big.vec", copySource, fs::copy_options::overwrite_existing);
    const std::vector<std::string> copyArgs = {"cp", copySource.string(), (dir / "copy.vec").string()};

    std::vector<double> copyTimes;
    for (int i = 0; i < runs; ++i) {
        for (Wizard& wizard : wizards) {
            const Sample w = RunChild(wizard.args, wizard.dir);
            wizard.times.push_back(w.seconds);
            wizard.peakRss = std::max(wizard.peakRss, w.maxRssKiB);
        }
        copyTimes.push_back(RunChild(copyArgs, dir).seconds);
    }
    const double copyMedian = Median(copyTimes);
    std::printf("vector file: %ju bytes\n", uintmax_t(fs::file_size(copySource)));
    std::printf("cp median:         %.1f ms\n", copyMedian * 1000);
    for (const Wizard& wizard : wizards) {
        const double wizardMedian = Median(wizard.times);
        if (wizards.size() > 1)
            std::printf("%s\n", wizard.program.c_str());
        std::printf("silent run median: %.1f ms\n", wizardMedian * 1000);
        std::printf("ratio:             %.2f\n", wizardMedian / copyMedian);
        std::printf("peak RSS of the silent run: %.1f MB\n", wizard.peakRss / 1024.0);
    }
    fs::remove_all(dir);
    return 0;
}
