#pragma once

#include <string>

// The two languages tarnwick writes design files in.
enum class HdlLanguage { Vhdl93, Verilog2001 };

// Whether name can stand as an identifier in a file of language. In VHDL-93 a basic identifier: a
// letter first, then letters, digits and single underscores, not ending with one, and not a
// reserved word in any case. In Verilog-2001 a simple identifier: a letter or an underscore first,
// then letters, digits, underscores and dollar signs, and not a keyword. Letters are those of ASCII,
// as a design file is plain text to every tool that reads it. False, with a reason that names the
// identifier and the rule it breaks, when it cannot.
bool IsHdlIdentifier(HdlLanguage language, const std::string& name, std::string& reason);

// The form in which language compares identifiers: VHDL's in lower case, Verilog's as they are.
std::string IdentifierKey(HdlLanguage language, const std::string& name);

// Whether value can be written inside a string literal of language: a literal stays on one line and
// holds graphic characters only, so a line end (CR or LF), a tab or any other control character is
// refused, and in VHDL-93, read as ISO 8859-1, so are the bytes 0x80 to 0x9F, its C1 controls.
// False with the reason when it cannot.
bool IsHdlStringValue(HdlLanguage language, const std::string& value, std::string& reason);
