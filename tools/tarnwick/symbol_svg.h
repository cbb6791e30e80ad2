#pragma once

#include <istream>
#include <string>

// text with &, <, > and " replaced by their XML entities, for element content and attribute values.
std::string EscapeXml(const std::string& text);

// The block symbol of the "SYMBOL:" lines in retrieval information as an SVG document of width + 1
// by height + 1 pixels, the box's size from its BOX line. The lines count y upward from the box's
// bottom edge; the SVG counts it downward from the top. name is written at the BOX line's place for
// the symbol's name. Lines that are not symbol lines are skipped. Returns false with a reason in
// error when there is no BOX line or a symbol line cannot be read.
bool SymbolSvg(std::istream& retrievalInfo, const std::string& name, std::string& svg, std::string& error);

// Reads the retrieval information at cnxPath and replaces svgPath atomically with its symbol.
// Returns false with a reason in error when either file fails.
bool WriteSymbolSvgFile(const std::string& cnxPath, const std::string& name, const std::string& svgPath,
                        std::string& error);
