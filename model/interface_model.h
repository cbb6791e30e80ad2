#pragma once

#include "model/interface_list.h"
#include "model/line_tokenizer.h"
#include "model/symbol_line_writer.h"

#include <cstddef>
#include <istream>
#include <ostream>
#include <string>
#include <vector>

// The largest retrieval-information file read; real ones hold a few kilobytes.
constexpr size_t kMaxRetrievalInfoSize = size_t(16) << 20;

// The description of one generated variation: modules, constants, parameters, ports, connections
// and the wizard's private values, with its stored text form, the retrieval-information file.
class InterfaceModel {
public:
    InterfaceModel() = default;
    virtual ~InterfaceModel() = default;

    // Stores the references to the module list and to the symbol pointer owned by the application.
    // Either may be null; a null symbol (or null pointer behind it) writes no symbol lines.
    void Attach(const std::string* moduleList, const SymbolLineWriter* const* symbol);
    // Empties the five lists; the module list and the symbol reference stay.
    void Clear();
    bool AddPrivate(const std::string& name, int value);
    // Integer value of the first private of that name, or defaultValue when there is none.
    int GetPrivate(const std::string& name, int defaultValue) const;

    // Appends every record it recognises; unknown lines are skipped. A line ends at LF, CR LF or a
    // lone CR. False when the stream could not be read to its end; what was read stays.
    virtual bool Read(std::istream& in);
    // Reads as Read does, but keeps only the first PRIVATE record of each of names: all that
    // restoring a variation uses, so that memory stays small whatever else the file holds.
    bool ReadPrivates(std::istream& in, const std::vector<std::string>& names);
    // Writes the retrieval information, then the symbol's lines. Returns true; the caller checks
    // the stream.
    virtual bool Write(std::ostream& out) const;

    InterfaceList parameters;
    InterfaceList constants;
    InterfaceList privates;
    InterfaceList ports;
    InterfaceList connections;

private:
    const std::string* moduleList_ = nullptr;
    const SymbolLineWriter* const* symbol_ = nullptr;
};

// Value escaping of CONSTANT and PARAMETER values: tab as \t, newline as \n, backslash as "/".
std::string EscapeValue(const std::string& value);
// The reverse reading: \\ \n \t are decoded, any other backslash stays as it is.
std::string UnescapeValue(const std::string& value);
// Takes the next value from a line being read: a bare token, or a double-quoted text whose words are
// joined by one blank (at most 99 more tokens, the quotes removed). Returns it unescaped; empty
// text when the line has no more tokens.
std::string ReadValueToken(LineTokenizer& tokens);
