#pragma once

#include "model/interface_model.h"

#include <string>
#include <vector>

// The design file in VHDL-93 for the variation in model: an entity named entity with the model's
// used ports, whose architecture instantiates the library module's entity in the working library
// directly (entity work.module, the constants as its generics, its ports from the connections), so
// that it binds with no configuration and synthesis reads the module itself. Empty text, with the
// reason in reason, when the model names no module in its connections or the file would not say
// what the model does: a name that is not a legal identifier or is declared twice in one scope, a
// bit range outside the language's integers, a string constant a literal cannot hold, a module
// port tied to something other than a design port of its direction.
std::string VhdlDesignFile(const InterfaceModel& model, const std::string& entity, std::string& reason);

// The design file in Verilog-2001: a module with the used ports and one instance of the library
// module, the constants as its parameters. Empty text with the reason as for VhdlDesignFile.
std::string VerilogDesignFile(const InterfaceModel& model, const std::string& module, std::string& reason);

// The VHDL component declaration of the design's own entity. Empty text with the reason when the
// model has no ports, or the entity's name or a port cannot be written in VHDL-93.
std::string ComponentDeclaration(const InterfaceModel& model, const std::string& entity, std::string& reason);

// The whole number at the start of a field of the retrieval information (a port's width, a
// numeric constant), leading blanks skipped; 0 when it starts with none or it does not fit an int.
int FieldNumber(const std::string& text);

// The library module the model's connections name (module@point); empty when they name none.
std::string LibraryModuleName(const InterfaceModel& model);
