#pragma once

#include <string>

// Where the source of the library module named module, in the language of extension (".vhd" or
// ".v"), is found: in the folder ZORVEX_HDL_DIR names, else in the hdl folder beside tarnwick's
// executable (selfPath; the build tree), else in the installed share/zorvex/hdl (beside the
// package's program tree, then /usr/share/zorvex/hdl). Empty when it is in none of them.
std::string FindLibraryModuleSource(const std::string& module, const std::string& extension,
                                    const std::string& selfPath);
