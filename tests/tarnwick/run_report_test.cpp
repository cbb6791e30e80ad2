#include "tarnwick/json_report.h"
#include "tarnwick/run_report.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <filesystem>
#include <set>
#include <sys/wait.h>

namespace {

std::vector<std::string> Paths(const std::vector<RunFile>& files, RunFile::Maker maker)
{
    std::vector<std::string> paths;
    for (const RunFile& file : files) {
        if (file.maker == maker)
            paths.push_back(file.path);
    }
    return paths;
}

TEST(RunFiles, RetrievalInfoBesideTheDesignVectorsInTheCurrentDirectory)
{
    const std::vector<RunFile> files = FilesOfRun(Design("/d/sub.x/f.v1.vhd"), false);
    EXPECT_EQ(Paths(files, RunFile::Maker::Wizard), (std::vector<std::string>{"/d/sub.x/f.v1.cnx", "./f.v1.vec"}));
    EXPECT_EQ(Paths(files, RunFile::Maker::Host),
              (std::vector<std::string>{"/d/sub.x/f.v1.vhd", "/d/sub.x/f.v1.inc", "/d/sub.x/f.v1.cmp"}));
}

TEST(RunFiles, SymbolFileOnlyWhenTheHostCanMakeOne)
{
    EXPECT_EQ(Paths(FilesOfRun(Design("rel/f.tdf"), true), RunFile::Maker::Host),
              (std::vector<std::string>{"rel/f.tdf", "rel/f.inc", "rel/f.cmp", "rel/f.sym"}));
    EXPECT_EQ(Paths(FilesOfRun(Design("f.v"), true), RunFile::Maker::Wizard), (std::vector<std::string>{"f.cnx", "./f.vec"}));
    // The wizard drops the blanks before the path.
    EXPECT_EQ(Paths(FilesOfRun(Design(" \t/d/f.v"), false), RunFile::Maker::Wizard),
              (std::vector<std::string>{"/d/f.cnx", "./f.vec"}));
}

TEST(RunFiles, DescriptionMarksEachFileByTheGivenTest)
{
    const std::set<std::string> existing{"/d/f.cnx", "/d/f.inc"};
    const std::string text = DescribeFiles(FilesOfRun(Design("/d/f.vhd"), false),
                                           [&](const std::string& path) { return existing.count(path) == 1; });
    EXPECT_EQ(text,
              "files the wizard writes:\n"
              "  present  /d/f.cnx  (retrieval information)\n"
              "  absent   ./f.vec  (simulation vectors)\n"
              "files the host would create from them (tarnwick does not create them):\n"
              "  absent   /d/f.vhd  (design file)\n"
              "  present  /d/f.inc  (include file)\n"
              "  absent   /d/f.cmp  (component declaration)\n");
}

TEST(RunFiles, HostFilesTarnwickTriedAreMarkedMadeOrWhyNot)
{
    std::vector<RunFile> files = FilesOfRun(Design("/d/f.vhd"), false);
    for (RunFile& file : files)
        file.attempted = file.maker == RunFile::Maker::Host;
    files[2].made = true;
    files[3].reason = "not ours";
    files[4].reason = "none";
    const std::string text = DescribeFiles(files, [](const std::string&) { return true; });
    EXPECT_EQ(text.substr(text.find("files tarnwick")),
              "files tarnwick creates from them:\n"
              "  made     /d/f.vhd  (design file)\n"
              "  not made /d/f.inc  (include file): not ours\n"
              "  not made /d/f.cmp  (component declaration): none\n");
}

TEST(RunReportJson, OutcomeIsAWordForEachEndAndPageExitsKeepTheirOrder)
{
    const auto exited = [](int status) { return std::optional<int>(status << 8); };
    const struct {
        std::optional<int> waitStatus;
        const char* error;
        bool refused;
        const char* outcome;
    } cases[] = {
        {exited(0), "", false, "finished"},           {exited(1), "", false, "start-up-failed"},
        {exited(2), "", false, "cancelled"},          {exited(3), "", false, "back"},
        {exited(9), "", false, "failed"},             {SIGKILL, "", false, "failed"},
        {exited(0), "cannot replace", false, "failed"}, {std::nullopt, "Valid I : 2 - 40", true, "refused"},
        {std::nullopt, "not found", false, "failed"},
    };
    for (const auto& c : cases) {
        RunSummary run;
        run.waitStatus = c.waitStatus;
        run.error = c.error;
        run.refused = c.refused;
        run.pageExits = {{640, 480}, {-3, 7}};
        run.files = FilesOfRun(Design("f.vhd"), false);
        const nlohmann::json report = nlohmann::json::parse(RunReportJson(run, [](const std::string&) { return false; }));
        EXPECT_EQ(report["outcome"], c.outcome) << c.error;
        EXPECT_EQ(report.contains("error"), *c.error != '\0');
        EXPECT_EQ(report["pageExits"], nlohmann::json::parse("[[640, 480], [-3, 7]]"));
        // Paths are absolute, the vector file's in the current directory too.
        EXPECT_EQ(report["files"][1]["path"], (std::filesystem::current_path() / "f.vec").string());
    }
}

} // namespace
