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
// (the address generator the cores share, say). Paths, in name order.
std::vector<std::string> LibraryModuleCompanions(const std::string& path);
