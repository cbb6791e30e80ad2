// Loads tarnwick's bash completion as bash-completion does and asks it what Tab offers, as bash
// asks it: COMP_WORDS and COMP_CWORD set, the function that "complete -p tarnwick" names called,
// COMPREPLY read back. What it must offer comes from tarnwick itself: the options of its usage
// text (what --help prints), the choices the usage names, and the --set keys the parser accepts.
#include "settings/settings_mapping.h"
#include "tarnwick/setting_overrides.h"
#include "tarnwick/tarnwick_options.h"
#include "tests/support/design_folders.h"
#include "tests/support/usage_options.h"
#include "tests/tarnwick/tarnwick_process.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const char* const kBashCompletion = "/usr/share/bash-completion/bash_completion";

// Sources bash-completion and the file under test, then completes the command line LINE, split
// into the words "$@" as bash splits it, the cursor at its end. compopt works only while bash
// itself completes, so it is replaced by one that records its options on stderr.
const char* const kCompleteScript = R"(
source "$BASH_COMPLETION" || exit 90
source "$TARNWICK_COMPLETION" || exit 91
function=$(complete -p tarnwick 2>/dev/null | sed -n 's/.*-F \([^ ]*\) .*/\1/p')
[ -n "$function" ] || exit 92
compopt() { printf '%s\n' "$*" >&2; }
COMP_WORDS=("$@")
COMP_CWORD=$(($# - 1))
COMP_LINE=$LINE
COMP_POINT=${#COMP_LINE}
COMPREPLY=()
"$function" tarnwick "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
printf '%s\n' "${COMPREPLY[@]}"
)";

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// The options the usage lists, and the choices of those that have them.
void ReadUsage(std::set<std::string>& options, std::map<std::string, std::set<std::string>>& choices)
{
    for (const auto& [option, values] : UsageOptions(kTarnwickUsage)) {
        options.insert(option);
        if (!values.empty())
            choices[option] = values;
    }
}

// The keys --set takes: the stored names, and every single capital letter the parser accepts.
std::set<std::string> SetKeys()
{
    std::vector<std::string> candidates = PrivateSettingNames();
    for (char letter = 'A'; letter <= 'Z'; ++letter)
        candidates.push_back(std::string(1, letter));
    std::set<std::string> keys;
    for (const std::string& key : candidates) {
        std::vector<SettingOverride> overrides;
        std::string error;
        if (ParseSetOverride(key + "=1", overrides, error))
            keys.insert(key + "=");
    }
    return keys;
}

class TarnwickCompletion : public DesignFoldersTest {
protected:
    struct Offer {
        std::set<std::string> replies;
        bool noSpace = false;
    };

    // Completes the last of words, the words after "tarnwick" as bash splits the line: an '=' is
    // a word of its own, written without blanks around it.
    Offer Complete(const std::vector<std::string>& words)
    {
        std::vector<std::string> args{"/bin/bash", "--norc", "--noprofile", "-c", kCompleteScript, "bash", "tarnwick"};
        args.insert(args.end(), words.begin(), words.end());
        std::string line = "tarnwick";
        for (size_t i = 0; i < words.size(); ++i)
            line += (words[i] == "=" || (i > 0 && words[i - 1] == "=") ? "" : " ") + words[i];
        const ProcessRun run = RunProgram(args, work,
                                          {{"BASH_COMPLETION", kBashCompletion},
                                           {"TARNWICK_COMPLETION", TARNWICK_COMPLETION},
                                           {"LINE", line}});
        EXPECT_EQ(run.exitStatus, 0) << "91: the completion does not load, 92: it completes no tarnwick\n" << run.err;
        Offer offer;
        for (const std::string& reply : Lines(run.out)) {
            if (!reply.empty())
                offer.replies.insert(reply);
        }
        for (const std::string& option : Lines(run.err))
            offer.noSpace = offer.noSpace || option == "-o nospace";
        return offer;
    }

    void SetUp() override
    {
        DesignFoldersTest::SetUp();
        if (!fs::exists(kBashCompletion))
            GTEST_FAIL() << kBashCompletion << " is missing: scripts/install-deps.sh installs bash-completion";
    }
};

TEST_F(TarnwickCompletion, OffersEveryOptionOfTheUsageAndNoOther)
{
    std::set<std::string> options;
    std::map<std::string, std::set<std::string>> choices;
    ReadUsage(options, choices);
    // The usage's options, spelt as they are written: fewer means it was not read as written.
    ASSERT_GE(options.size(), 20u);
    EXPECT_EQ(Complete({"-"}).replies, options);
    EXPECT_EQ(Complete({"-n", "--no"}).replies, (std::set<std::string>{"--no-design-files"}));
}

TEST_F(TarnwickCompletion, OffersTheChoicesOfEachChoiceOptionAndTheKeysOfSet)
{
    std::set<std::string> options;
    std::map<std::string, std::set<std::string>> choices;
    ReadUsage(options, choices);
    ASSERT_EQ(choices.size(), 3u) << "the usage names the choices of --algorithm, --direction and --memory";
    for (const auto& [option, values] : choices) {
        SCOPED_TRACE(option);
        EXPECT_EQ(Complete({option, ""}).replies, values);
        // A prefix narrows the choices, also of a value attached with '='.
        const std::string first = *values.begin();
        const std::string prefix = first.substr(0, first.size() - 1);
        EXPECT_EQ(Complete({option, prefix}).replies, std::set<std::string>{first});
        EXPECT_EQ(Complete({"-silent", option, "="}).replies, values);
        EXPECT_EQ(Complete({"-silent", option, "=", prefix}).replies, std::set<std::string>{first});
    }

    const std::set<std::string> keys = SetKeys();
    ASSERT_EQ(keys.size(), PrivateSettingNames().size() + 5) << "the twelve names and I, J, W, N, B";
    const Offer set = Complete({"--set", ""});
    EXPECT_EQ(set.replies, keys);
    EXPECT_TRUE(set.noSpace) << "the value follows the key's '=' at once";
    EXPECT_EQ(Complete({"--set", "CHARACTERISTIC_"}).replies,
              (std::set<std::string>{"CHARACTERISTIC_I=", "CHARACTERISTIC_J="}));
    // A number is the user's to type.
    for (const char* option : {"-p", "--pages", "-x", "--corner-y", "--lock-timeout"})
        EXPECT_EQ(Complete({option, ""}).replies, std::set<std::string>{}) << option;
}

TEST_F(TarnwickCompletion, OffersDesignFilesWithTheExtensionsTheWizardTakesAndFolders)
{
    fs::create_directory(work / "designs");
    for (const char* name : {"a.vhd", "b.v", "c.tdf", "notes.txt", "d.VHD", "e.vh", "f.svg", "-g.vhd"})
        std::ofstream(work / name) << "";
    const std::set<std::string> designs{"a.vhd", "b.v", "c.tdf", "designs"};
    EXPECT_EQ(Complete({""}).replies, designs);
    EXPECT_EQ(Complete({"-silent", "--set", "I=4", ""}).replies, designs);
    // After "--" a word starting with '-' is a design file too.
    EXPECT_EQ(Complete({"--", "-"}).replies, std::set<std::string>{"-g.vhd"});
    EXPECT_EQ(Complete({"--svg", ""}).replies, (std::set<std::string>{"f.svg", "designs"}));
}

} // namespace
