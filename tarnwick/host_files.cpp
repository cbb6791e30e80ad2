#include "tarnwick/host_files.h"

#include "design_files/design_files.h"
#include "tarnwick/design_install.h"

namespace {

std::string BaseName(const std::string& path)
{
    const size_t slash = path.rfind('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

bool EndsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

} // namespace

bool MakeDesignFiles(std::vector<RunFile>& files, const InterfaceModel* retrievalInfo, DesignInstall& install,
                     std::string& error)
{
    std::string designPath;
    for (const RunFile& file : files) {
        if (file.role == "design file")
            designPath = file.path;
    }
    const bool readable = retrievalInfo != nullptr;
    static const InterfaceModel kNone;
    const InterfaceModel& model = readable ? *retrievalInfo : kNone;
    const std::string name = BaseName(designPath);
    const bool verilog = EndsWith(designPath, ".v");
    for (RunFile& file : files) {
        if (file.maker != RunFile::Maker::Host)
            continue;
        file.attempted = true;
        std::string text;
        if (file.role == "design file" && !EndsWith(file.path, ".vhd") && !verilog) {
            file.reason = "in the host's own language, which tarnwick does not write";
            continue;
        }
        if (file.role == "include file") {
            file.reason = "a function prototype in the host's own language, which tarnwick does not write";
            continue;
        }
        if (file.role != "design file" && file.role != "component declaration") {
            file.reason = "tarnwick does not make it";
            continue;
        }
        if (!readable) {
            file.reason = "the retrieval information cannot be read";
            continue;
        }
        if (file.role == "design file")
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
