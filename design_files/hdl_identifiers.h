#pragma once

#include <string>

// The two languages tarnwick writes design files in.
enum class HdlLanguage { Vhdl93, Verilog2001 };

// Whether name can stand as an identifier in a file of language. In VHDL-93 a basic identifier: a
// letter first, then letters, digits and single underscores, not ending with one, and not a
// reserved word in any case.
bool IsHdlIdentifier(HdlLanguage language, const std::string& name, std::string& reason);

// Whether name, in any case, is one the VHDL files take from the libraries std and ieee: a
// declaration of the same name in a file would hide it where the file needs it.
bool IsVhdlLibraryName(const std::string& name);

// Whether a design's base name can name its entity, module and component in both languages: a
// VHDL-93 basic identifier that is also a Verilog-2001 one, and not a name the VHDL files take from
// their libraries. False with a message naming the fault and the rule.
bool IsDesignName(const std::string& baseName, std::string& reason);

// The form in which language compares identifiers: VHDL's in lower case, Verilog's as they are.
std::string IdentifierKey(HdlLanguage language, const std::string& name);

// Whether value can be written inside a string literal of language: a literal stays on one line and
// holds graphic characters only, so a line end (CR or LF), a tab or any other control character is
// refused, and in VHDL-93, read as ISO 8859-1, so are the bytes 0x80 to 0x9F, its C1 controls.
bool IsHdlStringValue(HdlLanguage language, const std::string& value, std::string& reason);
