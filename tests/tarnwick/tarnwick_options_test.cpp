#include "tarnwick/tarnwick_options.h"
#include "platform/display_command_line.h"
#include "tarnwick/wizard_invocation.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <fstream>
#include <tuple>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

using Args = std::vector<std::string>;

struct ValidCase {
    Args args;
    TarnwickOptions expected;
};

TarnwickOptions Expect(const std::string& design, const std::function<void(TarnwickOptions&)>& change = {})
{
    TarnwickOptions options;
    options.designPath = design;
    if (change)
        change(options);
    return options;
}

TEST(TarnwickOptions, AcceptsShortLongAndAttachedForms)
{
    const std::vector<ValidCase> cases = {
        {{"d/f.vhd"}, Expect("d/f.vhd")},
        {{"-n", "-silent", "-symbol", "f.v"},
         Expect("f.v", [](TarnwickOptions& o) { o.newFile = o.silent = o.symbolFile = true; })},
        {{"--new", "--silent", "--symbol", "f.v"},
         Expect("f.v", [](TarnwickOptions& o) { o.newFile = o.silent = o.symbolFile = true; })},
        {{"-p", "2", "-x", "640", "-y", "-20", "f.tdf"},
         Expect("f.tdf", [](TarnwickOptions& o) { o.pageOffset = 2; o.cornerX = 640; o.cornerY = -20; })},
        {{"-p0", "-x-5", "-y480", "f.tdf"},
         Expect("f.tdf", [](TarnwickOptions& o) { o.pageOffset = 0; o.cornerX = -5; o.cornerY = 480; })},
        {{"--pages=3", "--corner-x", "7", "--corner-y=8", "f.tdf"},
         Expect("f.tdf", [](TarnwickOptions& o) { o.pageOffset = 3; o.cornerX = 7; o.cornerY = 8; })},
        {{"--zorvex", "/opt/z/zorvex", "f.vhd"}, Expect("f.vhd", [](TarnwickOptions& o) { o.wizardPath = "/opt/z/zorvex"; })},
        {{"f.vhd", "--zorvex=./zorvex"}, Expect("f.vhd", [](TarnwickOptions& o) { o.wizardPath = "./zorvex"; })},
        {{"--", "-odd.vhd"}, Expect("-odd.vhd")},
        {{"-x", "2147483647", "f.v"}, Expect("f.v", [](TarnwickOptions& o) { o.cornerX = 2147483647; })},
        {{"-x", "-2147483648", "f.v"}, Expect("f.v", [](TarnwickOptions& o) { o.cornerX = -2147483647 - 1; })},
    };
    for (const ValidCase& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.args));
        TarnwickOptions options;
        std::string error;
        ASSERT_TRUE(ParseTarnwickOptions(c.args, options, error)) << error;
        EXPECT_EQ(options.newFile, c.expected.newFile);
        EXPECT_EQ(options.silent, c.expected.silent);
        EXPECT_EQ(options.symbolFile, c.expected.symbolFile);
        EXPECT_EQ(options.pageOffset, c.expected.pageOffset);
        EXPECT_EQ(options.cornerX, c.expected.cornerX);
        EXPECT_EQ(options.cornerY, c.expected.cornerY);
        EXPECT_EQ(options.wizardPath, c.expected.wizardPath);
        EXPECT_EQ(options.designPath, c.expected.designPath);
        EXPECT_FALSE(options.help);
    }
}

TEST(TarnwickOptions, RefusesBadArgumentsWithAReason)
{
    const std::vector<std::pair<Args, std::string>> cases = {
        {{}, "no design file"},
        {{"-n"}, "no design file"},
        {{"a.vhd", "b.vhd"}, "more than one design file"},
        {{"-q", "f.vhd"}, "unknown option -q"},
        {{"-Silent", "f.vhd"}, "unknown option -Silent"},
        {{"--pagez=2", "f.vhd"}, "unknown option --pagez=2"},
        {{"f.vhd", "-p"}, "needs a value"},
        {{"-p", "two", "f.vhd"}, "needs a whole number"},
        // A limit of 0 would end every simulator and synthesis step at once; a lock wait of 0 is fine.
        {{"--simulate-timeout", "0", "f.vhd"}, "needs a number of seconds from 1"},
        {{"--lock-timeout=-1", "f.vhd"}, "needs a number of seconds from 0"},
        {{"-x", "12px", "f.vhd"}, "needs a whole number"},
        {{"-y", "", "f.vhd"}, "needs a whole number"},
        {{"-x", "2147483648", "f.vhd"}, "needs a whole number"},
        {{"-p", "-1", "f.vhd"}, "0 or more"},
        {{"--zorvex=", "f.vhd"}, "needs a path"},
        {{"--new=1", "f.vhd"}, "takes no value"},
        {{""}, "empty"},
        {{"--simulate-only", "--set", "I=3", "f.vhd"}, "--simulate-only runs no wizard"},
        {{"--simulate-only", "--simulate", "f.vhd"}, "--simulate-only runs no wizard"},
        {{"--svg", "s.svg", "--simulate-only", "f.vhd"}, "--simulate-only runs no wizard"},
        {{"--simulate-only", "--no-design-files", "f.vhd"}, "--simulate-only runs no wizard"},
        {{"--simulate", "--no-design-files", "f.vhd"}, "--simulate needs the design file"},
        {{"--simulate=1", "f.vhd"}, "takes no value"},
        {{"--simulate", "--simulator", "Verilator", "f.v"}, "needs ghdl, iverilog or verilator, not \"Verilator\""},
        {{"--simulator=verilator", "f.v"}, "--simulator chooses the simulator of --simulate or --simulate-only"},
        {{"--seed", "3", "--device", "up5k", "f.v"}, "--freq and --seed choose how --synthesize places and routes"},
        {{"--synthesize", "--device", "hx9k", "f.v"},
         "--device needs one of the iCE40 devices lp384, lp1k, lp4k, lp8k, hx1k, hx4k, hx8k, up3k, up5k, u1k, u2k, "
         "u4k, not \"hx9k\""},
        {{"--synthesize", "--device=up5k:ct256", "f.v"}, "the iCE40 UP5K comes in the packages sg48, uwg30, not \"ct256\""},
        {{"--synthesize", "--package", "tq144", "f.v"}, "the iCE40 HX8K comes in the packages ct256,"},
        {{"--synthesize", "--device", "hx8k:", "f.v"}, "names no package after the colon"},
        {{"--synthesize", "--device", "hx8k:ct256", "--package", "cb132", "f.v"}, "name two packages"},
        {{"--synthesize", "--freq", "0", "f.v"}, "needs a clock rate in MHz above 0 and up to 1000, not \"0\""},
        {{"--synthesize", "--freq", "1000.5", "f.v"}, "needs a clock rate in MHz"},
        {{"--synthesize", "--freq", "inf", "f.v"}, "needs a clock rate in MHz"},
        {{"--synthesize", "--freq", "1e2", "f.v"}, "needs a clock rate in MHz"},
        {{"--synthesize", "--seed", "-1", "f.v"}, "needs a whole number from 0 to 2147483647, not \"-1\""},
        {{"--testbench", "f.v"}, "--testbench keeps the testbench of --simulate or --simulate-only"},
    };
    for (const auto& [args, reason] : cases) {
        SCOPED_TRACE(::testing::PrintToString(args));
        TarnwickOptions options;
        std::string error;
        EXPECT_FALSE(ParseTarnwickOptions(args, options, error));
        EXPECT_NE(error.find(reason), std::string::npos) << error;
    }
}

// The simulator named last wins; without one the design's language chooses it later.
TEST(TarnwickOptions, SimulatorIsTheOneNamedLast)
{
    const std::vector<std::pair<Args, Simulator>> cases = {
        {{"--simulate", "f.v"}, Simulator::Default},
        {{"--simulate-only", "--simulator=verilator", "f.v"}, Simulator::Verilator},
        {{"--simulator", "ghdl", "--simulate", "--simulator", "iverilog", "f.v"}, Simulator::Iverilog},
        {{"--simulator", "ghdl", "--simulate", "f.vhd"}, Simulator::Ghdl},
    };
    for (const auto& [args, simulator] : cases) {
        SCOPED_TRACE(::testing::PrintToString(args));
        TarnwickOptions options;
        std::string error;
        ASSERT_TRUE(ParseTarnwickOptions(args, options, error)) << error;
        EXPECT_EQ(options.simulator, simulator);
    }
}

// --synthesize goes with a run, with --simulate, with --no-design-files (it needs only the .cnx)
// and with --simulate-only.
TEST(TarnwickOptions, SimulateAfterTheRunOrInsteadOfItAndSynthesizeWithEither)
{
    const std::vector<std::tuple<Args, TarnwickOptions::Simulate, bool>> cases = {
        {{"f.vhd"}, TarnwickOptions::Simulate::No, false},
        {{"-n", "--simulate", "f.vhd"}, TarnwickOptions::Simulate::AfterRun, false},
        {{"f.v", "--simulate-only"}, TarnwickOptions::Simulate::Only, false},
        {{"--simulate-only", "--json", "-symbol", "f.v"}, TarnwickOptions::Simulate::Only, false},
        {{"-n", "--no-design-files", "--synthesize", "f.vhd"}, TarnwickOptions::Simulate::No, true},
        {{"--synthesize", "--simulate", "f.v"}, TarnwickOptions::Simulate::AfterRun, true},
        {{"--simulate-only", "--synthesize", "f.v"}, TarnwickOptions::Simulate::Only, true},
    };
    for (const auto& [args, simulate, synthesize] : cases) {
        SCOPED_TRACE(::testing::PrintToString(args));
        TarnwickOptions options;
        std::string error;
        ASSERT_TRUE(ParseTarnwickOptions(args, options, error)) << error;
        EXPECT_EQ(options.simulate, simulate);
        EXPECT_EQ(options.synthesize, synthesize);
    }
}

// Each device comes in a package of its own unless one is named, on --device or apart; the
// target and the seed are nextpnr's defaults unless given. The part alone sizes the report's RAM.
TEST(TarnwickOptions, SynthesisTargetsThePartOnTheBoard)
{
    const std::vector<std::tuple<Args, std::string, std::string, double, int>> cases = {
        {{"--synthesize", "f.v"}, "hx8k", "ct256", 12, 1},
        {{"--device", "UP5K", "f.v"}, "up5k", "sg48", 12, 1},
        {{"--synthesize", "--device=hx1k", "f.v"}, "hx1k", "tq144", 12, 1},
        {{"--synthesize", "--device", "hx8k:CB132", "--package", "cb132", "f.v"}, "hx8k", "cb132", 12, 1},
        {{"--package", "bg121", "--device", "lp8k", "--freq", "48.5", "--seed=0", "--synthesize", "f.v"}, "lp8k",
         "bg121", 48.5, 0},
    };
    for (const auto& [args, device, package, freq, seed] : cases) {
        SCOPED_TRACE(::testing::PrintToString(args));
        TarnwickOptions options;
        std::string error;
        ASSERT_TRUE(ParseTarnwickOptions(args, options, error)) << error;
        EXPECT_EQ(options.target.device, device);
        EXPECT_EQ(options.target.package, package);
        EXPECT_EQ(options.target.freqMHz, freq);
        EXPECT_EQ(options.target.seed, seed);
    }
}

TEST(TarnwickOptions, HelpAndVersionNeedNoDesignAndTheFirstOneWins)
{
    const std::vector<std::tuple<Args, bool, bool>> cases = {
        {{"-n", "--help", "-q"}, true, false},
        {{"-n", "--version", "-q"}, false, true},
        {{"--version", "--help"}, false, true},
    };
    for (const auto& [args, help, version] : cases) {
        SCOPED_TRACE(::testing::PrintToString(args));
        TarnwickOptions options;
        std::string error;
        ASSERT_TRUE(ParseTarnwickOptions(args, options, error)) << error;
        EXPECT_EQ(options.help, help);
        EXPECT_EQ(options.version, version);
    }
}

TEST(WizardArguments, OnlyTheHostIdAndDesignWithoutOptions)
{
    EXPECT_EQ(WizardArguments(Expect("/d/f.vhd"), 4711, "zorvex"), (Args{"zorvex", "-h4711", "/d/f.vhd"}));
}

TEST(WizardArguments, ValuesAttachedToTheirLettersInTheHostsOrder)
{
    const TarnwickOptions options = Expect("/d/my design.tdf", [](TarnwickOptions& o) {
        o.newFile = o.silent = o.symbolFile = true;
        o.pageOffset = 2;
        o.cornerX = -40;
        o.cornerY = 900;
    });
    EXPECT_EQ(WizardArguments(options, 12, "/opt/bin/zorvex"),
              (Args{"/opt/bin/zorvex", "-n", "-h12", "-symbol", "-p2", "-x-40", "-y900", "-silent", "/d/my design.tdf"}));
}

TEST(WizardArguments, PageOffsetZeroIsPassedWhenGiven)
{
    const TarnwickOptions options = Expect("f.v", [](TarnwickOptions& o) { o.pageOffset = 0; });
    EXPECT_EQ(WizardArguments(options, 5, "zorvex"), (Args{"zorvex", "-h5", "-p0", "f.v"}));
}

TEST(WizardArguments, DesignThatLooksLikeAnOptionIsMadeRelative)
{
    EXPECT_EQ(WizardDesignArgument("-odd.vhd"), "./-odd.vhd");
    EXPECT_EQ(WizardDesignArgument("/abs/f.vhd"), "/abs/f.vhd");
    EXPECT_EQ(WizardDesignArgument("rel/f.vhd"), "rel/f.vhd");
}

TEST(DisplayCommandLine, QuotesOnlyWhatAShellWouldSplitOrExpand)
{
    EXPECT_EQ(DisplayCommandLine({"zorvex", "-h1", "/d/f.vhd"}), "zorvex -h1 /d/f.vhd");
    EXPECT_EQ(DisplayCommandLine({"zorvex", "/my d/f.vhd", ""}), "zorvex '/my d/f.vhd' ''");
    EXPECT_EQ(DisplayCommandLine({"it's.v"}), "'it'\\''s.v'");
    // What bash reads back is each argument whole, whatever it holds.
    const std::vector<std::string> args{"gtkwave",  "/d/x{a,b}/f.vcd", "[ab]*.v", "~/f.v", "!f", "#f", "a=b",
                                        "$HOME`x`", "f;g|h&",          "ü.vcd",   "e\nd"};
    const std::string script = testing::TempDir() + "display_command_line_" + std::to_string(::getpid()) + ".sh";
    std::ofstream(script) << "printf '%s\\0' " << DisplayCommandLine(args) << "\n";
    FILE* shell = ::popen(("bash " + script).c_str(), "r");
    ASSERT_NE(shell, nullptr);
    std::string read;
    for (int c; (c = std::fgetc(shell)) != EOF;)
        read += char(c);
    ::pclose(shell);
    std::filesystem::remove(script);
    std::string expected;
    for (const std::string& arg : args)
        expected += arg + '\0';
    EXPECT_EQ(read, expected);
}

TEST(DisplayCommandLine, ControlCharactersAndBackslashesAreShownAsEscapesInDollarQuotes)
{
    EXPECT_EQ(DisplayCommandLine({"zorvex", "/d/a\nb.v", "c:\\f.v"}), "zorvex $'/d/a\\nb.v' $'c:\\\\f.v'");
    EXPECT_EQ(DisplayCommandLine({"it's\t.v"}), "$'it\\'s\\t.v'");
}

TEST(CheckWizardArguments, RefusesAnArgumentHoldingADoubleQuoteAndNamesIt)
{
    const std::vector<std::pair<Args, std::string>> cases = {
        {{"zorvex", "-h1", "/d/x\" /e/v.v -n"}, "'/d/x\" /e/v.v -n'"},
        {{"/opt/\"z\"/zorvex", "-h1", "/d/f.v"}, "'/opt/\"z\"/zorvex'"},
        {{"zorvex", "-h1", "/d/\"\n.v"}, "$'/d/\"\\n.v'"},
    };
    for (const auto& [args, shown] : cases) {
        SCOPED_TRACE(::testing::PrintToString(args));
        std::string error;
        EXPECT_FALSE(CheckWizardArguments(args, error));
        EXPECT_EQ(error, "cannot start the wizard with " + shown + ": its command line cannot carry a double quote");
    }
    std::string error;
    EXPECT_TRUE(CheckWizardArguments({"/my d/zorvex", "-n", "-h1", "-p0", "-silent", "/d/it's a\\b\t.v"}, error))
        << error;
}

class ChooseWizardProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("tarnwick-choose-" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    void MakeFile(const std::string& name, fs::perms perms)
    {
        std::ofstream(dir / name) << "#!/bin/sh\n";
        fs::permissions(dir / name, perms);
    }

    fs::path dir;
};

TEST_F(ChooseWizardProgramTest, ExplicitPathWins)
{
    MakeFile("zorvex", fs::perms::owner_all);
    EXPECT_EQ(ChooseWizardProgram("/elsewhere/zorvex", (dir / "tarnwick").string()), "/elsewhere/zorvex");
}

TEST_F(ChooseWizardProgramTest, ExecutableBesideTarnwick)
{
    MakeFile("zorvex", fs::perms::owner_all);
    EXPECT_EQ(ChooseWizardProgram("", (dir / "tarnwick").string()), (dir / "zorvex").string());
}

TEST_F(ChooseWizardProgramTest, SearchPathWhenNothingExecutableIsBeside)
{
    EXPECT_EQ(ChooseWizardProgram("", ""), "zorvex");
    EXPECT_EQ(ChooseWizardProgram("", (dir / "tarnwick").string()), "zorvex");
    // A file without any execute permission is not taken, not even by a privileged user.
    MakeFile("zorvex", fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(ChooseWizardProgram("", (dir / "tarnwick").string()), "zorvex");
}

} // namespace
