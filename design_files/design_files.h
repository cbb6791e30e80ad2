#pragma once

#include "model/interface_model.h"

#include <string>
#include <vector>

// The design file in VHDL-93 for the variation in model: entity entity instantiating the library
// module directly (entity work.module). Empty, with the reason in reason, when it cannot say what
// the model does.
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
