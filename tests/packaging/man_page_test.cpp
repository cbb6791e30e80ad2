// The man pages are written by hand, the usage texts and the JSON report are the programs' own:
// every option, choice and exit status a usage text names, and every field of the report, must
// have an entry of its own in the built page, so that one cannot change without the other.
#include "host/wizard_command_line.h"
#include "settings/interleaver_settings.h"
#include "tarnwick/json_report.h"
#include "settings/retrieval_info_settings.h"
#include "tarnwick/staged_design.h"
#include "tarnwick/tarnwick_options.h"
#include "tests/support/usage_options.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cctype>
#include <fstream>
#include <iterator>
#include <algorithm>
#include <set>
#include <sstream>
#include <string>
#include <vector>
#include <stdlib.h>
#include <unistd.h>

namespace {

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

void ReplaceAll(std::string& text, const std::string& from, const std::string& to)
{
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

// The tag lines of the page's tagged paragraphs (the line after each .TP): the entries of its
// OPTIONS and EXIT STATUS lists. Escaped hyphens are plain hyphens there.
std::vector<std::string> EntryTags(const std::string& page)
{
    std::ifstream in(std::string(ZORVEX_MAN_DIR) + "/" + page);
    EXPECT_TRUE(in.is_open()) << page << " was not built";
    std::vector<std::string> tags;
    bool tagNext = false;
    for (std::string line; std::getline(in, line);) {
        if (tagNext) {
            ReplaceAll(line, "\\-", "-");
            tags.push_back(line);
        }
        tagNext = line == ".TP";
    }
    return tags;
}

// Whether word stands in bold on its own in one of the tags: "\f[B]--json\f[R]", not merely as a
// part of another word or in the description.
bool HasEntry(const std::vector<std::string>& tags, const std::string& word)
{
    const std::string bold = "\\f[B]" + word + "\\f[R]";
    for (const std::string& tag : tags) {
        if (tag.find(bold) != std::string::npos)
            return true;
    }
    return false;
}

// The wizard's usage lists one option a line, the option first and a tab after it.
std::set<std::string> WizardOptions()
{
    std::set<std::string> options;
    for (const std::string& line : Lines(kUsageText)) {
        if (!line.empty() && line[0] == '-')
            options.insert(line.substr(0, line.find('\t')));
    }
    return options;
}

// tarnwick's usage gives, in its options list, each entry as two blanks, the option column, two
// or more blanks and the description; continuation lines start with more blanks. The option
// column holds options, their value names and choices written as a|b.
void ReadTarnwickUsage(std::set<std::string>& options, std::set<std::string>& choices)
{
    for (const auto& [option, values] : UsageOptions(kTarnwickUsage)) {
        options.insert(option);
        choices.insert(values.begin(), values.end());
    }
}

// tarnwick's own exit statuses, each on a line of its own: two blanks, the number, the meaning.
std::set<std::string> TarnwickStatuses()
{
    std::set<std::string> statuses;
    for (const std::string& line : Lines(kTarnwickUsage)) {
        if (line.size() > 4 && line.rfind("  ", 0) == 0 && std::isdigit(static_cast<unsigned char>(line[2])))
            statuses.insert(line.substr(2, line.find(' ', 2) - 2));
    }
    return statuses;
}

} // namespace

TEST(ManPages, ZorvexPageAndHelpHaveAnEntryForEveryOptionOfTheWizardsUsage)
{
    const std::set<std::string> options = WizardOptions();
    // The seven options the usage text lists; fewer means it was not read as it is written.
    ASSERT_GE(options.size(), 7u);
    const std::vector<std::string> tags = EntryTags("zorvex.1");
    // --help explains each option on a line of its own, two blanks before it.
    const std::vector<std::string> help = Lines(kHelpText);
    for (const std::string& option : options) {
        EXPECT_TRUE(HasEntry(tags, option)) << "zorvex(1) has no entry for " << option;
        const bool explained = std::any_of(help.begin(), help.end(), [&](const std::string& line) {
            return line.rfind("  " + option, 0) == 0 && line.size() > option.size() + 2
                && std::string(" <").find(line[option.size() + 2]) != std::string::npos;
        });
        EXPECT_TRUE(explained) << "zorvex --help does not explain " << option;
    }
}

TEST(ManPages, TarnwickPageHasAnEntryForEveryOptionChoiceAndStatusOfItsUsage)
{
    std::set<std::string> options;
    std::set<std::string> choices;
    ReadTarnwickUsage(options, choices);
    const std::set<std::string> statuses = TarnwickStatuses();
    ASSERT_GE(options.size(), 17u);
    ASSERT_GE(choices.size(), 6u);
    ASSERT_GE(statuses.size(), 3u);
    const std::vector<std::string> tags = EntryTags("tarnwick.1");
    for (const std::string& option : options)
        EXPECT_TRUE(HasEntry(tags, option)) << "tarnwick(1) has no entry for " << option;
    for (const std::string& choice : choices)
        EXPECT_TRUE(HasEntry(tags, choice)) << "tarnwick(1) has no entry naming the choice " << choice;
    for (const std::string& status : statuses)
        EXPECT_TRUE(HasEntry(tags, status)) << "tarnwick(1) has no entry for the exit status " << status;
}

TEST(ManPages, TarnwickPageHasAnEntryForEveryFieldOfTheJsonReport)
{
    // A report with every field: one of a failed run whose retrieval information exists, as a
    // working copy of a design writes it.
    std::string folder = testing::TempDir() + "man_page_XXXXXX";
    ASSERT_NE(::mkdtemp(folder.data()), nullptr);
    nlohmann::json report;
    {
        StagedDesign staged;
        std::string error;
        const std::string stored = RetrievalInfoOfSettings(InterleaverSettings());
        ASSERT_TRUE(staged.Create(Design(folder + "/f.vhd"), &stored, error)) << error;
        const std::string cnx = staged.design().PathOf(FileRole::RetrievalInfo);
        RunFile retrievalInfo;
        retrievalInfo.path = cnx;
        retrievalInfo.role = FileRole::RetrievalInfo;
        RunSummary run;
        run.waitStatus = 0;
        run.error = "an error";
        run.design = staged.designPath();
        run.pageExits = {{10, 20}};
        run.files = {retrievalInfo};
        run.changed = {cnx};
        run.inconsistencies = {"no memory is chosen"};
        run.simulation = SimulationOutcome{"ghdl", 10, 6, 2, 4, 8, 20, 1, SimulationMismatch{8, "dout", "01", "x1"},
                                           "/tmp/f.vcd", PairOutcome{"ghdl", 3074, 2250, 2250, 2250, true, 824, 0},
                                           293949, {"/tmp/f_tb.v", "/tmp/f_sim.sh"}};
        report = nlohmann::json::parse(RunReportJson(run, [](const std::string&) { return true; }));
    }
    ::rmdir(folder.c_str());
    ASSERT_TRUE(report.contains("derived")) << "the report has no settings to derive figures from";

    std::vector<std::string> fields;
    for (const auto& field : report.items())
        fields.push_back(field.key());
    for (const auto& figure : report["derived"].items())
        fields.push_back(figure.key());
    ASSERT_TRUE(report.contains("simulation"));
    for (const auto& figure : report["simulation"].items())
        fields.push_back(figure.key());
    ASSERT_GE(fields.size(), 13u);
    const std::vector<std::string> tags = EntryTags("tarnwick.1");
    const std::string page = [] {
        std::ifstream in(std::string(ZORVEX_MAN_DIR) + "/tarnwick.1");
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }();
    for (const std::string& field : fields) {
        // The figures are named in the entries of derived and simulation; the top-level fields
        // have entries.
        if (report.contains(field))
            EXPECT_TRUE(HasEntry(tags, field)) << "tarnwick(1) has no entry for the JSON field " << field;
        else
            EXPECT_NE(page.find("\\f[B]" + field + "\\f[R]"), std::string::npos)
                << "tarnwick(1) does not name the figure " << field;
    }
}
