// Reads arbitrary bytes as a design name (the first line) and its retrieval information (the rest),
// and has tarnwick make the VHDL and the Verilog design file, the component declaration and the
// symbol's SVG from them. Each file is either made, or refused with a reason; a made design file
// holds nothing but printable ASCII, line ends and, inside its string literals, the constants'
// bytes; a reason can be printed on a terminal; the SVG holds only characters XML 1.0 allows.
#include "design_files/design_files.h"
#include "design_files/symbol_svg.h"
#include "model/interface_model.h"
#include "platform/utf8_text.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

namespace {

void Check(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "design_files_fuzz: %s\n", what);
        std::abort();
    }
}

bool HoldsControl(const std::string& text, bool lineEndsToo)
{
    for (const char c : text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if ((byte < 0x20 && (lineEndsToo || byte != '\n')) || byte == 0x7F)
            return true;
    }
    return false;
}

// A generator's outcome: text and no reason, or a reason without control characters and no text.
// A made file ends with its last line's end and holds no control character but line feeds.
void CheckOutcome(const std::string& text, const std::string& reason, const char* what)
{
    Check(text.empty() != reason.empty(), what);
    if (!text.empty()) {
        Check(text.back() == '\n', "a made file does not end with a line end");
        Check(!HoldsControl(text, false), "a made file holds a control character");
    } else {
        Check(!HoldsControl(reason, true), "a reason holds a control character");
    }
}

// Whether every character of svg is one XML 1.0 allows and no byte lies outside UTF-8.
bool XmlCharactersOnly(const std::string& svg)
{
    for (size_t at = 0; at < svg.size();) {
        const Utf8Character character = DecodeUtf8Character(svg, at);
        const char32_t c = character.codePoint;
        if ((character.length == 1 && c == kReplacementCharacter) || (c < 0x20 && c != '\n') || c == 0xFFFE
            || c == 0xFFFF)
            return false;
        at += character.length;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    const size_t lineEnd = input.find('\n');
    const std::string name = input.substr(0, lineEnd);
    const std::string cnx = lineEnd == std::string::npos ? std::string() : input.substr(lineEnd + 1);

    InterfaceModel model;
    std::istringstream in(cnx);
    Check(model.Read(in), "Read failed");
    std::string reason;
    const std::string vhdl = VhdlDesignFile(model, name, reason);
    CheckOutcome(vhdl, reason, "the VHDL design file is neither made nor refused");
    // VHDL reads its files as ISO 8859-1, whose bytes 0x80 to 0x9F are controls.
    for (const char c : vhdl)
        Check(static_cast<unsigned char>(c) < 0x80 || static_cast<unsigned char>(c) > 0x9F,
              "the VHDL design file holds a C1 control");
    const std::string verilog = VerilogDesignFile(model, name, reason);
    CheckOutcome(verilog, reason, "the Verilog design file is neither made nor refused");
    const std::string component = ComponentDeclaration(model, name, reason);
    CheckOutcome(component, reason, "the component declaration is neither made nor refused");
    // Both design files come from the same ports: the component declaration is made whenever the
    // VHDL file is.
    Check(vhdl.empty() || !component.empty(), "a VHDL design file without its component declaration");

    std::istringstream again(cnx);
    std::string svg;
    std::string error;
    if (SymbolSvg(again, name, svg, error))
        Check(XmlCharactersOnly(svg), "the SVG holds a character XML does not allow");
    else
        Check(!error.empty(), "the SVG is refused without a reason");
    return 0;
}
