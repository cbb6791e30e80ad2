#pragma once

#include "model/interface_model.h"
#include "tarnwick/run_report.h"

#include <string>
#include <vector>

class DesignInstall;

// Makes the host's files of design among files from the retrieval information (null when it cannot
// be read): the design file (.vhd or .v) and the component declaration are written for install,
// which puts them in place; the .tdf design file and the include file are marked not made.
bool MakeDesignFiles(const Design& design, std::vector<RunFile>& files, const InterfaceModel* retrievalInfo,
                     DesignInstall& install, std::string& error);
