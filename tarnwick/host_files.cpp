#include "tarnwick/host_files.h"

#include "design_files/design_files.h"
#include "tarnwick/design_install.h"

bool MakeDesignFiles(const Design& design, std::vector<RunFile>& files, const InterfaceModel* retrievalInfo,
                     DesignInstall& install, std::string& error)
{
    const bool readable = retrievalInfo != nullptr;
    static const InterfaceModel kNone;
    const InterfaceModel& model = readable ? *retrievalInfo : kNone;
    const std::string& name = design.name().baseName;
    const bool verilog = design.name().extension == ".v";
    for (RunFile& file : files) {
        if (file.maker != RunFile::Maker::Host)
            continue;
        file.attempted = true;
        std::string text;
        if (file.role == FileRole::DesignFile && design.name().extension != ".vhd" && !verilog) {
            file.reason = "in the host's own language, which tarnwick does not write";
            continue;
        }
        if (file.role == FileRole::IncludeFile) {
            file.reason = "a function prototype in the host's own language, which tarnwick does not write";
            continue;
        }
        if (file.role != FileRole::DesignFile && file.role != FileRole::ComponentDeclaration) {
            file.reason = "tarnwick does not make it";
            continue;
        }
        if (!readable) {
            file.reason = "the retrieval information cannot be read";
            continue;
        }
        if (file.role == FileRole::DesignFile)
            text = verilog ? VerilogDesignFile(model, name, file.reason) : VhdlDesignFile(model, name, file.reason);
        else
            text = ComponentDeclaration(model, name, file.reason);
        if (text.empty())
            continue;
        if (!install.AddText(file.path, text, AtomicFile::Durability::Regenerable, error)) {
            file.reason = "it cannot be written";
            return false;
        }
        file.made = true;
    }
    return true;
}
