#include "platform/held_signals.h"
#include "platform/run_step.h"
#include "platform/temporary_folder.h"
#include "simulation/background_run.h"
#include "simulation/design_simulation.h"
#include "simulation/shown_sizes.h"
#include "simulation/simulation_progress.h"
#include "simulation/simulator_run.h"

#include "tests/platform/environment_guard.h"

#include "tests/support/temporary_folder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class SimulatorRun : public TemporaryFolderTest {};

TEST_F(SimulatorRun, StepsKeepTheirTemporaryFilesInTheRunsFolderAndFindProgramsFromHere)
{
    // A tool on a relative folder of PATH, which a step running in its own folder must still find.
    fs::create_directories(folder / "bin");
    std::ofstream(folder / "bin" / "tool") << "#!/bin/sh\nmktemp > made\n";
    fs::permissions(folder / "bin" / "tool", fs::perms::owner_all);
    const fs::path user = folder / "user-tmp";
    fs::create_directories(user);
    const fs::path saved = fs::current_path();
    fs::current_path(folder);
    const EnvironmentGuard environment({{"TMPDIR", user.string()}, {"PATH", "bin:/usr/bin:/bin"}});
    std::string made;
    {
        TemporaryFolder work;
        std::string error;
        ASSERT_TRUE(work.Create(error)) << error;
        EXPECT_EQ(work.path().rfind(user.string() + "/tarnwick-sim-", 0), 0u) << work.path();
        RunLimits limits;
        EXPECT_TRUE(RunStep({"tool"}, work.path(), limits, error)) << error;
        std::getline(std::ifstream(work.path() + "/made"), made);
    }
    fs::current_path(saved);
    EXPECT_FALSE(made.empty());
    EXPECT_FALSE(fs::exists(made)) << made;
    EXPECT_TRUE(fs::is_empty(user));
}

TEST_F(SimulatorRun, WhileAStepRunsItsRecordIsCountedAndTheVariablesGivenReplaceTarnwicksOwn)
{
    TemporaryFolder work;
    std::string error;
    ASSERT_TRUE(work.Create(error)) << error;
    const EnvironmentGuard environment(EnvironmentGuard::Values{{"CHOICE", "tarnwick's"}});
    RunLimits limits;
    std::vector<std::pair<std::int64_t, std::int64_t>> told;
    {
        RecordWatch watch(limits, work.path() + "/record.txt", 4,
                          [&](std::int64_t done, std::int64_t total) { told.emplace_back(done, total); });
        ASSERT_TRUE(RunStep(
            {"sh", "-c", "echo \"$CHOICE\" > choice; for e in 1 2 3 4; do echo edge >> record.txt; sleep 0.6; done"},
            work.path(), limits, error, {"CHOICE=the step's"}))
            << error;
        EXPECT_EQ(watch.Lines(), 4);
    }
    EXPECT_FALSE(limits.whileRunning) << "the watch outlived its step";
    // The step ran over two seconds: the count was taken every second while it ran.
    ASSERT_FALSE(told.empty());
    for (size_t k = 0; k < told.size(); ++k) {
        EXPECT_EQ(told[k].second, 4);
        EXPECT_GE(told[k].first, k == 0 ? 1 : told[k - 1].first);
        EXPECT_LE(told[k].first, 4);
    }
    std::string choice;
    std::getline(std::ifstream(work.path() + "/choice"), choice);
    EXPECT_EQ(choice, "the step's");
}

TEST_F(SimulatorRun, WorkInTheBackgroundShowsItsProgressAndEndsWithTheRunOrItsSignal)
{
    using Clock = std::chrono::steady_clock;
    TemporaryFolder work;
    std::string error;
    ASSERT_TRUE(work.Create(error)) << error;
    // Work that tells how far it is, then runs a step of the length given.
    std::string workError;
    const auto stepOf = [&](const char* seconds) {
        return [&, seconds](RunLimits& own, const SimulationProgress& progress, std::string& failure) {
            progress(3, 8);
            const bool ok = RunStep({"sleep", seconds}, work.path(), own, failure);
            workError = failure;
            return ok;
        };
    };
    {
        // Its progress is shown by the caller while it waits, and its result is the work's.
        RunLimits limits;
        BackgroundRun background(limits, stepOf("1.5"));
        std::vector<std::pair<std::int64_t, std::int64_t>> told;
        EXPECT_TRUE(background.Finish(
            limits, [&](std::int64_t done, std::int64_t total) { told.emplace_back(done, total); }, error))
            << error;
        ASSERT_FALSE(told.empty());
        EXPECT_EQ(told.front(), std::make_pair(std::int64_t(3), std::int64_t(8)));
    }
    {
        // A run that ends early (its own step failed) takes the work's step with it.
        const Clock::time_point start = Clock::now();
        {
            RunLimits limits;
            BackgroundRun background(limits, stepOf("30"));
            ::usleep(300000);
        }
        EXPECT_LT(Clock::now() - start, std::chrono::seconds(10));
        EXPECT_NE(workError.find("sleep 30 was ended"), std::string::npos) << workError;
    }
    {
        // A signal that asks tarnwick to end, taken while the caller waits, ends the work's step.
        HeldSignals signals;
        RunLimits limits;
        limits.signalFd = signals.fd();
        BackgroundRun background(limits, stepOf("30"));
        ::usleep(300000);
        const Clock::time_point start = Clock::now();
        ::kill(::getpid(), SIGTERM);
        EXPECT_FALSE(background.Finish(limits, {}, error));
        EXPECT_LT(Clock::now() - start, std::chrono::seconds(10));
        EXPECT_EQ(limits.endSignal, SIGTERM);
        EXPECT_EQ(error, "ended by signal 15 given to tarnwick");
        EXPECT_NE(workError.find("sleep 30 was ended"), std::string::npos) << workError;
    }
}

TEST_F(SimulatorRun, ATemporaryFolderTheToolsCannotTakeIsRefusedNamingTMPDIR)
{
    for (const std::string name : {"with blank", "line\nend", "dollar$", "quote\"", "brace{a,b}"}) {
        SCOPED_TRACE(name);
        fs::create_directories(folder / name);
        const EnvironmentGuard environment({{"TMPDIR", (folder / name).string()}});
        std::string error;
        EXPECT_FALSE(CheckTemporaryBase(error));
        EXPECT_EQ(error.rfind("TMPDIR ", 0), 0u) << error;
        TemporaryFolder work;
        EXPECT_FALSE(work.Create(error));
        EXPECT_TRUE(fs::is_empty(folder / name));
    }
}

TEST(ShownSize, EachSizeInTheLargestUnitItFills)
{
    const struct {
        std::int64_t bytes;
        const char* shown;
    } cases[] = {{0, "0 bytes"},
                 {1023, "1023 bytes"},
                 {1024, "1.0 KiB"},
                 {(112 << 20) + (300 << 10), "112.3 MiB"},
                 {std::int64_t(3) << 30, "3.0 GiB"}};
    for (const auto& c : cases)
        EXPECT_EQ(ShownSize(c.bytes), c.shown) << c.bytes;
}

TEST(ShowShortage, TheNeedAndTheRoomAreShownInAUnitThatTellsThemApart)
{
    const struct {
        std::uint64_t need, room;
        const char* needText;
        const char* roomText;
    } cases[] = {
        {300 << 10, 200 << 10, "300 KiB", "200 KiB"},
        {1000, 10, "1 KiB", "0 KiB"},
        {(5 << 20) + (300 << 10), (5 << 20) + (200 << 10), "6 MiB", "5 MiB"},
        {(1 << 20) + 1, 1 << 20, "2 MiB", "1 MiB"},
    };
    for (const auto& c : cases) {
        std::string needText, roomText;
        ShowShortage(c.need, c.room, needText, roomText);
        EXPECT_EQ(needText, c.needText);
        EXPECT_EQ(roomText, c.roomText);
    }
}

} // namespace
