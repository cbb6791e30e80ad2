#pragma once

#include <string>
#include <vector>

// Where the source of the library module named module, in the language of extension (".vhd" or
// ".v"), is found: in the folder ZORVEX_HDL_DIR names, else in the hdl folder beside tarnwick's
// executable (selfPath; the build tree), else in the installed share/zorvex/hdl (beside the
// package's program tree, then /usr/share/zorvex/hdl). Empty when it is in none of them.
std::string FindLibraryModuleSource(const std::string& module, const std::string& extension,
                                    const std::string& selfPath);

// The other library files that the module's source at path uses: the files beside it in its
// language whose unit the text uses, as work.name in VHDL or as an instance's module in Verilog
// (the address generator the cores share, say), and for Verilog the files beside it that the
// module, those files or the included files include with `include "name" (the cores' constant
// functions), and the files those use in turn. Paths, in name order; VHDL in the order they are
// analysed, each after the files whose units it uses (the package of sizes first).
std::vector<std::string> LibraryModuleCompanions(const std::string& path);

// Whether the library file at path is one that other sources include (a Verilog .vh), which is
// found through the simulator's include path rather than compiled on its own.
bool IsIncludedLibraryFile(const std::string& path);

// The unit of the cores' library (their entities, modules and packages, the files they include
// and their testbench) that a design named baseName would clash with in the language of extension:
// its design file or the library copy beside it would take the other's place, or one unit hide the
// other in the simulators' libraries. VHDL names are compared without case. Empty when none.
std::string ClashingLibraryUnit(const std::string& baseName, const std::string& extension);
