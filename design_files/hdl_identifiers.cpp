#include "design_files/hdl_identifiers.h"

#include "platform/printable_text.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace {

// The reserved words of VHDL-93, sorted.
constexpr std::array<std::string_view, 97> kVhdlReservedWords = {
    "abs",          "access",     "after",      "alias",     "all",       "and",
    "architecture", "array",      "assert",     "attribute", "begin",     "block",
    "body",         "buffer",     "bus",        "case",      "component", "configuration",
    "constant",     "disconnect", "downto",     "else",      "elsif",     "end",
    "entity",       "exit",       "file",       "for",       "function",  "generate",
    "generic",      "group",      "guarded",    "if",        "impure",    "in",
    "inertial",     "inout",      "is",         "label",     "library",   "linkage",
    "literal",      "loop",       "map",        "mod",       "nand",      "new",
    "next",         "nor",        "not",        "null",      "of",        "on",
    "open",         "or",         "others",     "out",       "package",   "port",
    "postponed",    "procedure",  "process",    "pure",      "range",     "record",
    "register",     "reject",     "rem",        "report",    "return",    "rol",
    "ror",          "select",     "severity",   "shared",    "signal",    "sla",
    "sll",          "sra",        "srl",        "subtype",   "then",      "to",
    "transport",    "type",       "unaffected", "units",     "until",     "use",
    "variable",     "wait",       "when",       "while",     "with",      "xnor",
    "xor",
};

// The keywords of Verilog-2001, sorted.
constexpr std::array<std::string_view, 123> kVerilogKeywords = {
    "always",
    "and",
    "assign",
    "automatic",
    "begin",
    "buf",
    "bufif0",
    "bufif1",
    "case",
    "casex",
    "casez",
    "cell",
    "cmos",
    "config",
    "deassign",
    "default",
    "defparam",
    "design",
    "disable",
    "edge",
    "else",
    "end",
    "endcase",
    "endconfig",
    "endfunction",
    "endgenerate",
    "endmodule",
    "endprimitive",
    "endspecify",
    "endtable",
    "endtask",
    "event",
    "for",
    "force",
    "forever",
    "fork",
    "function",
    "generate",
    "genvar",
    "highz0",
    "highz1",
    "if",
    "ifnone",
    "incdir",
    "include",
    "initial",
    "inout",
    "input",
    "instance",
    "integer",
    "join",
    "large",
    "liblist",
    "library",
    "localparam",
    "macromodule",
    "medium",
    "module",
    "nand",
    "negedge",
    "nmos",
    "nor",
    "noshowcancelled",
    "not",
    "notif0",
    "notif1",
    "or",
    "output",
    "parameter",
    "pmos",
    "posedge",
    "primitive",
    "pull0",
    "pull1",
    "pulldown",
    "pullup",
    "pulsestyle_ondetect",
    "pulsestyle_onevent",
    "rcmos",
    "real",
    "realtime",
    "reg",
    "release",
    "repeat",
    "rnmos",
    "rpmos",
    "rtran",
    "rtranif0",
    "rtranif1",
    "scalared",
    "showcancelled",
    "signed",
    "small",
    "specify",
    "specparam",
    "strong0",
    "strong1",
    "supply0",
    "supply1",
    "table",
    "task",
    "time",
    "tran",
    "tranif0",
    "tranif1",
    "tri",
    "tri0",
    "tri1",
    "triand",
    "trior",
    "trireg",
    "unsigned",
    "use",
    "vectored",
    "wait",
    "wand",
    "weak0",
    "weak1",
    "while",
    "wire",
    "wor",
    "xnor",
    "xor",
};

// Names the VHDL files take from the libraries std and ieee, sorted.
constexpr std::array<std::string_view, 8> kVhdlLibraryNames = {
    "ieee", "integer", "std", "std_logic", "std_logic_1164", "std_logic_vector", "string", "work",
};

static_assert(std::is_sorted(kVhdlLibraryNames.begin(), kVhdlLibraryNames.end()));
static_assert(std::is_sorted(kVhdlReservedWords.begin(), kVhdlReservedWords.end()));
static_assert(std::is_sorted(kVerilogKeywords.begin(), kVerilogKeywords.end()));

template <size_t N> bool IsListed(const std::array<std::string_view, N>& words, std::string_view word)
{
    return std::binary_search(words.begin(), words.end(), word);
}

bool IsLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

std::string Quoted(const std::string& text)
{
    return "\"" + PrintableText(text) + "\"";
}

// The phrase of a reason for the byte at name[at], which an identifier cannot hold; a byte of a
// multi-byte character is shown as its escape.
std::string Holds(const std::string& name, size_t at)
{
    return "it holds " + Quoted(name.substr(at, 1)) + ", ";
}

bool VhdlBasicIdentifier(const std::string& name, std::string& reason)
{
    const std::string prefix = Quoted(name) + " is not a VHDL-93 basic identifier: ";
    if (name.empty()) {
        reason = prefix + "it is empty";
        return false;
    }
    if (!IsLetter(name[0])) {
        reason = prefix + "it does not start with an ASCII letter";
        return false;
    }
    for (size_t i = 1; i < name.size(); ++i) {
        const char c = name[i];
        if (c == '_' && name[i - 1] == '_') {
            reason = prefix + "it holds two underscores in a row";
            return false;
        }
        if (!IsLetter(c) && !IsDigit(c) && c != '_') {
            reason = prefix + Holds(name, i) + "which is not an ASCII letter, a digit or an underscore";
            return false;
        }
    }
    if (name.back() == '_') {
        reason = prefix + "it ends with an underscore";
        return false;
    }
    if (IsListed(kVhdlReservedWords, IdentifierKey(HdlLanguage::Vhdl93, name))) {
        reason = Quoted(name) + " is a reserved word of VHDL-93";
        return false;
    }
    return true;
}

bool VerilogIdentifier(const std::string& name, std::string& reason)
{
    const std::string prefix = Quoted(name) + " is not a Verilog-2001 identifier: ";
    if (name.empty()) {
        reason = prefix + "it is empty";
        return false;
    }
    if (!IsLetter(name[0]) && name[0] != '_') {
        reason = prefix + "it does not start with an ASCII letter or an underscore";
        return false;
    }
    for (size_t i = 1; i < name.size(); ++i) {
        const char c = name[i];
        if (!IsLetter(c) && !IsDigit(c) && c != '_' && c != '$') {
            reason = prefix + Holds(name, i) + "which is not an ASCII letter, a digit, an underscore or a dollar sign";
            return false;
        }
    }
    if (IsListed(kVerilogKeywords, name)) {
        reason = Quoted(name) + " is a keyword of Verilog-2001";
        return false;
    }
    return true;
}

} // namespace

bool IsHdlIdentifier(HdlLanguage language, const std::string& name, std::string& reason)
{
    return language == HdlLanguage::Vhdl93 ? VhdlBasicIdentifier(name, reason) : VerilogIdentifier(name, reason);
}

bool IsVhdlLibraryName(const std::string& name)
{
    return IsListed(kVhdlLibraryNames, IdentifierKey(HdlLanguage::Vhdl93, name));
}

bool IsDesignName(const std::string& baseName, std::string& reason)
{
    std::string why;
    if (IsHdlIdentifier(HdlLanguage::Vhdl93, baseName, why) && IsHdlIdentifier(HdlLanguage::Verilog2001, baseName, why)
        && !IsVhdlLibraryName(baseName))
        return true;
    if (why.empty())
        why = Quoted(baseName) + " is a name that the VHDL files take from their libraries";
    reason = "the design's name " + Quoted(baseName) + " cannot name its entity and module: " + why
        + "; a design's name must be an identifier of both VHDL and Verilog: an ASCII letter first, then letters, "
          "digits and single underscores, not ending with an underscore, and no reserved word of either language";
    return false;
}

std::string IdentifierKey(HdlLanguage language, const std::string& name)
{
    std::string key = name;
    if (language == HdlLanguage::Vhdl93) {
        for (char& c : key) {
            if (c >= 'A' && c <= 'Z')
                c = char(c - 'A' + 'a');
        }
    }
    return key;
}

bool IsHdlStringValue(HdlLanguage language, const std::string& value, std::string& reason)
{
    for (const char c : value) {
        const unsigned char byte = static_cast<unsigned char>(c);
        const char* what = nullptr;
        if (byte == '\n' || byte == '\r')
            what = "a line end";
        else if (byte < 0x20 || byte == 0x7F)
            what = "a control character";
        else if (language == HdlLanguage::Vhdl93 && byte >= 0x80 && byte <= 0x9F)
            what = "a byte that VHDL-93 reads as a control character";
        if (what != nullptr) {
            reason = "the text " + Quoted(value) + " holds " + what + ", which a string literal cannot hold";
            return false;
        }
    }
    return true;
}
