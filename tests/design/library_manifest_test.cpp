// The library's manifest against the HDL text: every file of the library is listed, and each
// lists the files its text uses (work.name in VHDL, a module instance or `include in Verilog, and
// what those use in turn) in the order they are compiled before it. A scan of the text finds them
// here, so that the programs need none at run time.
#include "design/library_manifest.h"

#include "platform/regular_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {


bool IdentifierCharacter(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
}

char Lower(char c)
{
    return char(std::tolower(static_cast<unsigned char>(c)));
}

// The text with its comments blanked out (VHDL's -- to the line end; Verilog's // to the line end
// and /* */), string literals kept whole, so that the words of a comment are not taken for code.
std::string WithoutComments(const std::string& text, bool vhdl)
{
    std::string code = text;
    const std::string line = vhdl ? "--" : "//";
    for (size_t k = 0; k < code.size();) {
        if (code[k] == '"') {
            const size_t close = code.find('"', k + 1);
            k = close == std::string::npos ? code.size() : close + 1;
            continue;
        }
        size_t end = k;
        if (code.compare(k, 2, line) == 0) {
            end = std::min(code.find('\n', k), code.size());
        } else if (!vhdl && code.compare(k, 2, "/*") == 0) {
            const size_t close = code.find("*/", k + 2);
            end = close == std::string::npos ? code.size() : close + 2;
        }
        if (end == k)
            ++k;
        for (; k < end; ++k) {
            if (code[k] != '\n')
                code[k] = ' ';
        }
    }
    return code;
}

// Whether text uses the library unit name as a unit: in VHDL as work.name (an entity or a
// package of the library), in Verilog as the module of an instance, name followed by its
// parameters (#) or by an instance name and its ports.
bool UsesUnit(const std::string& text, const std::string& name, bool vhdl)
{
    const std::string word = vhdl ? "work." + name : name;
    std::string searched = text;
    if (vhdl)
        std::transform(searched.begin(), searched.end(), searched.begin(), Lower);
    for (size_t at = searched.find(word); at != std::string::npos; at = searched.find(word, at + 1)) {
        size_t end = at + word.size();
        if ((at > 0 && IdentifierCharacter(searched[at - 1])) || (end < searched.size() && IdentifierCharacter(searched[end])))
            continue;
        if (vhdl)
            return true;
        const auto skipBlanks = [&](size_t k) {
            while (k < searched.size() && std::isspace(static_cast<unsigned char>(searched[k])))
                ++k;
            return k;
        };
        size_t next = skipBlanks(end);
        if (next < searched.size() && searched[next] == '#')
            return true;
        const size_t instance = next;
        while (next < searched.size() && IdentifierCharacter(searched[next]))
            ++next;
        next = skipBlanks(next);
        if (next > instance && next < searched.size() && searched[next] == '(')
            return true;
    }
    return false;
}

// The names that the Verilog text includes with `include "name".
std::vector<std::string> IncludedNames(const std::string& text)
{
    static const std::string kDirective = "`include";
    std::vector<std::string> names;
    for (size_t at = text.find(kDirective); at != std::string::npos; at = text.find(kDirective, at + 1)) {
        size_t open = at + kDirective.size();
        while (open < text.size() && (text[open] == ' ' || text[open] == '\t'))
            ++open;
        const size_t close = open < text.size() && text[open] == '"' ? text.find('"', open + 1) : std::string::npos;
        if (close != std::string::npos && text.find('\n', open) > close)
            names.push_back(text.substr(open + 1, close - open - 1));
    }
    return names;
}

// A library file's text, empty when it cannot be read; the cores are a few tens of kilobytes.
std::string FileText(const std::string& path)
{
    constexpr size_t kLibraryFileLimit = 16 * 1024 * 1024;
    std::string text;
    return ReadRegularFile(path, kLibraryFileLimit, text) ? text : std::string();
}

// The library files beside the one at path, in its language, whose units its text uses.
std::vector<std::string> UsedFilesBeside(const std::string& path)
{
    namespace fs = std::filesystem;
    const fs::path file(path);
    const bool vhdl = file.extension() == ".vhd";
    const std::string text = WithoutComments(FileText(path), vhdl);
    std::vector<std::string> used;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(file.parent_path(), error)) {
        const fs::path& other = entry.path();
        if (other.extension() == file.extension() && other.filename() != file.filename()
            && IsRegularFile(other.string()) && UsesUnit(text, other.stem().string(), vhdl))
            used.push_back(other.string());
    }
    std::sort(used.begin(), used.end());
    return used;
}

// Appends file to ordered after the files it uses (uses: what each scanned file uses), each
// once: a VHDL unit must be analysed before the units that use it.
void AppendAfterUsed(const std::string& file, const std::map<std::string, std::vector<std::string>>& uses,
                     std::vector<std::string>& visited, std::vector<std::string>& ordered)
{
    if (std::find(visited.begin(), visited.end(), file) != visited.end())
        return;
    visited.push_back(file);
    const auto used = uses.find(file);
    if (used != uses.end()) {
        for (const std::string& other : used->second)
            AppendAfterUsed(other, uses, visited, ordered);
    }
    ordered.push_back(file);
}

// The library files beside path that its text uses, in the order they are compiled before it.
std::vector<std::string> ScannedCompanions(const std::string& path)
{
    namespace fs = std::filesystem;
    const fs::path module(path);
    // The files the module uses, and the files those use, each once.
    std::vector<std::string> companions;
    std::vector<std::string> scanning{path};
    std::map<std::string, std::vector<std::string>> uses;
    for (size_t k = 0; k < scanning.size(); ++k) {
        uses[scanning[k]] = UsedFilesBeside(scanning[k]);
        for (const std::string& used : uses[scanning[k]]) {
            if (used != path && std::find(companions.begin(), companions.end(), used) == companions.end()) {
                companions.push_back(used);
                scanning.push_back(used);
            }
        }
    }
    // The files beside them that the module, the files it uses and the included files themselves
    // include, each once.
    if (module.extension() == ".v") {
        std::vector<std::string> including = companions;
        including.push_back(path);
        for (size_t k = 0; k < including.size(); ++k) {
            for (const std::string& name : IncludedNames(WithoutComments(FileText(including[k]), false))) {
                const std::string beside = (module.parent_path() / name).string();
                if (name.find('/') == std::string::npos && beside != path && IsRegularFile(beside)
                    && std::find(including.begin(), including.end(), beside) == including.end()) {
                    including.push_back(beside);
                    companions.push_back(beside);
                }
            }
        }
    }
    std::sort(companions.begin(), companions.end());
    if (module.extension() != ".vhd")
        return companions;
    std::vector<std::string> visited{path};
    std::vector<std::string> ordered;
    for (const std::string& companion : companions)
        AppendAfterUsed(companion, uses, visited, ordered);
    return ordered;
}

} // namespace

TEST(LibraryManifest, ListsEveryLibraryFileWithTheFilesItsTextUses)
{
    namespace fs = std::filesystem;
    const fs::path hdl = fs::path(ZORVEX_SOURCE_HDL);
    std::set<std::string> onDisk;
    for (const fs::directory_entry& entry : fs::directory_iterator(hdl)) {
        const std::string extension = entry.path().extension().string();
        if (extension == ".v" || extension == ".vhd" || extension == ".vh")
            onDisk.insert(entry.path().filename().string());
    }
    std::set<std::string> listed;
    for (const LibraryFile& file : LibraryManifest::Installed().files()) {
        listed.insert(file.name);
        std::vector<std::string> scanned;
        for (const std::string& used : ScannedCompanions((hdl / file.name).string()))
            scanned.push_back(fs::path(used).filename().string());
        EXPECT_EQ(file.uses, scanned) << file.name;
    }
    EXPECT_EQ(listed, onDisk);
}
