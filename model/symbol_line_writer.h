#pragma once

#include <ostream>

// What the retrieval-information writer needs of the block symbol: its drawing lines, appended at
// the end of the file. The symbol graphic implements it; the model knows nothing else of symbols.
class SymbolLineWriter {
public:
    virtual ~SymbolLineWriter() = default;

    // Appends one "SYMBOL:" line per element. Returns true.
    virtual bool WriteSymbolLines(std::ostream& file) const = 0;
};
