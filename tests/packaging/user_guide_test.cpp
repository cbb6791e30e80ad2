// The user guide is written by hand; what it describes comes from the programs: every option and
// choice tarnwick --help lists, every field the JSON Schema of the report declares at any depth,
// and every file runs of tarnwick and the wizard leave behind or report must be named in it, in
// code, so that none of them can change without the guide.
#include "tests/support/file_text.h"
#include "tests/support/usage_options.h"
#include "tests/tarnwick/tarnwick_process.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <unistd.h>

#include <filesystem>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// The guide's lines outside fenced code, from the heading that holds headingWords (all of them
// when it is empty) to the next heading of the same or a higher level.
std::vector<std::string> GuideSection(const std::string& headingWords)
{
    const std::vector<std::string> lines = Lines(ReadFileText(ZORVEX_USER_GUIDE));
    EXPECT_GT(lines.size(), 100u) << ZORVEX_USER_GUIDE;
    std::vector<std::string> section;
    bool fenced = false;
    size_t level = headingWords.empty() ? 1 : 0; // 0: the section has not begun
    for (const std::string& line : lines) {
        if (line.rfind("```", 0) == 0) {
            fenced = !fenced;
            continue;
        }
        if (fenced)
            continue;
        const size_t hashes = line.find_first_not_of('#');
        const bool heading = hashes > 0 && hashes != std::string::npos && line[hashes] == ' ';
        if (heading && level == 0 && line.find(headingWords) != std::string::npos) {
            level = hashes;
            continue;
        }
        if (heading && level > 0 && hashes <= level && !headingWords.empty())
            break;
        if (level > 0)
            section.push_back(line);
    }
    EXPECT_FALSE(section.empty()) << "the guide has no section headed \"" << headingWords << "\"";
    return section;
}

// The code spans of lines, with "\|", which a table needs for a bar in code, read as "|".
std::vector<std::string> CodeSpans(const std::vector<std::string>& lines)
{
    std::vector<std::string> spans;
    for (const std::string& line : lines) {
        for (size_t open = line.find('`'); open != std::string::npos;) {
            const size_t close = line.find('`', open + 1);
            if (close == std::string::npos)
                break;
            std::string span = line.substr(open + 1, close - open - 1);
            for (size_t bar = span.find("\\|"); bar != std::string::npos; bar = span.find("\\|", bar))
                span.erase(bar, 1);
            spans.push_back(span);
            open = line.find('`', close + 1);
        }
    }
    return spans;
}

// Whether a span is word, or starts with word and a blank: `--set KEY=VALUE` names --set.
bool NamesWord(const std::vector<std::string>& spans, const std::string& word)
{
    for (const std::string& span : spans) {
        if (span == word || span.rfind(word + " ", 0) == 0)
            return true;
    }
    return false;
}

// Every key of a "properties" object anywhere in the schema.
void SchemaFields(const nlohmann::json& node, std::set<std::string>& fields)
{
    if (node.is_object()) {
        for (const auto& [key, value] : node.items()) {
            if (key == "properties" && value.is_object()) {
                for (const auto& field : value.items())
                    fields.insert(field.key());
            }
            SchemaFields(value, fields);
        }
    } else if (node.is_array()) {
        for (const nlohmann::json& value : node)
            SchemaFields(value, fields);
    }
}

class UserGuide : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = std::filesystem::temp_directory_path()
            / ("user-guide-" + std::to_string(::getpid()) + "-"
               + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(root);
        std::filesystem::create_directories(root);
    }
    void TearDown() override { std::filesystem::remove_all(root); }

    std::filesystem::path root;
};

TEST_F(UserGuide, NamesEveryOptionAndChoiceOfTarnwicksHelp)
{
    const ProcessRun help = RunProgram({TARNWICK_EXE, "--help"}, root);
    ASSERT_EQ(help.exitStatus, 0) << help.err;
    // The options list gives each entry as two blanks, the option column, two or more blanks and
    // the description; the column holds options, their value names and choices written a|b, each
    // choice belonging to the option before it.
    std::set<std::string> options;
    std::set<std::pair<std::string, std::string>> choices;
    for (const auto& [option, values] : UsageOptions(help.out)) {
        options.insert(option);
        for (const std::string& choice : values)
            choices.insert({option, choice});
    }
    // 25 option words (short and long forms, --help, --) and six choices: fewer means the text
    // was not read as written.
    ASSERT_GE(options.size(), 25u) << help.out;
    ASSERT_GE(choices.size(), 6u) << help.out;

    const std::vector<std::string> spans = CodeSpans(GuideSection(""));
    for (const std::string& option : options)
        EXPECT_TRUE(NamesWord(spans, option)) << "the guide names no option " << option << " in code";
    for (const auto& [option, choice] : choices) {
        const std::regex withChoice(std::regex_replace(option, std::regex("-"), "\\-") + " .*\\b" + choice + "\\b");
        bool named = false;
        for (const std::string& span : spans)
            named = named || std::regex_search(span, withChoice);
        EXPECT_TRUE(named) << "the guide does not name " << option << " " << choice << " in code";
    }
}

TEST_F(UserGuide, JsonReportSectionNamesEveryFieldOfTheSchema)
{
    const nlohmann::json schema = nlohmann::json::parse(ReadFileText(ZORVEX_REPORT_SCHEMA), nullptr, false);
    ASSERT_FALSE(schema.is_discarded()) << ZORVEX_REPORT_SCHEMA;
    std::set<std::string> fields;
    SchemaFields(schema, fields);
    // The report's top level, a file's, the twelve settings, six figures and the simulation's.
    ASSERT_GE(fields.size(), 40u);
    const std::vector<std::string> spans = CodeSpans(GuideSection("JSON report"));
    const std::set<std::string> named(spans.begin(), spans.end());
    for (const std::string& field : fields)
        EXPECT_TRUE(named.count(field) == 1) << "the guide's JSON report names no field " << field << " in code";
}

TEST_F(UserGuide, FilesSectionNamesEveryFileTheProgramsMake)
{
    // Designs in each language tarnwick writes and the host's own, with each memory, a symbol
    // file and simulations; each run in a folder of its own, which is also its current directory.
    const std::vector<std::vector<std::string>> runs = {
        {"-symbol", "--simulate", "f.vhd"},
        {"--memory", "external", "--simulate", "f.v"},
        {"--memory", "external", "f.vhd"},
        {"f.v"},
        {"-symbol", "f.tdf"},
    };
    std::set<std::string> files;
    for (size_t i = 0; i < runs.size(); ++i) {
        const std::filesystem::path folder = root / std::to_string(i);
        std::filesystem::create_directories(folder / "designs");
        std::vector<std::string> args{TARNWICK_EXE, "-n", "-silent", "--json"};
        args.insert(args.end(), runs[i].begin(), runs[i].end() - 1);
        args.push_back((folder / "designs" / runs[i].back()).string());
        const ProcessRun run = RunProgram(args, folder);
        ASSERT_EQ(run.exitStatus, 0) << run.out << run.err;
        const nlohmann::json report = nlohmann::json::parse(run.out, nullptr, false);
        ASSERT_TRUE(report.is_object()) << run.out;
        for (const nlohmann::json& file : report["files"])
            files.insert(std::filesystem::path(file["path"].get<std::string>()).filename());
        for (const auto& [path, text] : FolderFiles({folder, folder / "designs"})) {
            if (text != "(folder)")
                files.insert(std::filesystem::path(path).filename());
        }
    }
    // The .cnx and .vec, the design files of both languages and the host's, .inc, .cmp, .sym,
    // the waveform and the library modules of each language.
    ASSERT_GE(files.size(), 15u);

    const std::vector<std::string> spans = CodeSpans(GuideSection("The files"));
    const std::set<std::string> named(spans.begin(), spans.end());
    for (const std::string& file : files) {
        // A file named after the design is written name.ext; a library module by its own name.
        const std::string name = file.rfind("f.", 0) == 0 ? "name" + file.substr(1) : file;
        EXPECT_TRUE(named.count(name) == 1) << "the guide's files name no " << name << " in code";
    }
}

} // namespace
