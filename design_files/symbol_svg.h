#pragma once

#include <istream>
#include <string>

// text as XML 1.0 element content or an attribute value: &, <, > and " replaced by their entities,
// tab, line feed and carriage return by character references, and every character XML does not
// allow (the other C0 controls, U+FFFE, U+FFFF) and every byte outside well-formed UTF-8 by U+FFFD.
std::string EscapeXml(const std::string& text);

// The block symbol of the "SYMBOL:" lines in retrieval information as an SVG document of width + 1
// by height + 1 pixels, the box's size from its BOX line.
bool SymbolSvg(std::istream& retrievalInfo, const std::string& name, std::string& svg, std::string& error);
