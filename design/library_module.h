#pragma once

#include <string>
#include <vector>

// Where the source of the library module in the language of extension is found: ZORVEX_HDL_DIR, the
// hdl folder beside selfPath, the installed share/zorvex/hdl. Empty when it is in none of them.
std::string FindLibraryModuleSource(const std::string& module, const std::string& extension,
                                    const std::string& selfPath);

// The other library files that the module's source at path uses, as the library's manifest lists
// them (the address generator, the package of sizes, the included functions, the files those use):
// those beside it, in the order they are compiled before it.
std::vector<std::string> LibraryModuleCompanions(const std::string& path);

// Whether the library file at path is one that other sources include (a Verilog .vh), which is
// found through the simulator's include path rather than compiled on its own.
bool IsIncludedLibraryFile(const std::string& path);

// The unit of the cores' library that a design named baseName would clash with in the language of
// extension (VHDL names without case). Empty when none.
std::string ClashingLibraryUnit(const std::string& baseName, const std::string& extension);

// The cores' testbench unit, which simulates the interleaver -> deinterleaver pair.
constexpr const char* kLibraryTestbench = "tb_core";

// The units the testbench compiles in the language of extension, in order, the testbench last;
// each is a library file <unit><extension>.
std::vector<std::string> LibraryTestbenchUnits(const std::string& extension);
