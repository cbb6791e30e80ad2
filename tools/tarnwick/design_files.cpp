#include "tools/tarnwick/design_files.h"

#include "host/wizard_app.h"
#include "platform/atomic_file.h"
#include "platform/regular_file.h"
#include "tools/tarnwick/printable_text.h"

#include <sstream>

namespace {

// One port of an entity, a module or the library module: its name, direction and bit range.
struct HdlPort {
    std::string name;
    bool output = false;
    int width = 0; // 0 and 1: a single bit
    int lsb = 0;
};

int Number(const std::string& text)
{
    try {
        return std::stoi(text);
    } catch (...) {
        return 0;
    }
}

std::vector<HdlPort> UsedPorts(const InterfaceModel& model)
{
    std::vector<HdlPort> ports;
    for (const InterfaceEntry& entry : model.ports.entries())
        ports.push_back({entry.name, entry.type == "OUTPUT", Number(entry.width), Number(entry.lsb)});
    return ports;
}

// The library module's name and its ports: a connection's end named module@port is one of the
// module's inputs when it is driven, one of its outputs when it drives.
std::string LibraryModule(const InterfaceModel& model, std::vector<HdlPort>& ports)
{
    std::string module;
    for (const InterfaceEntry& c : model.connections.entries()) {
        const bool driven = c.targetName.find('@') != std::string::npos;
        const std::string& inner = driven ? c.targetName : c.name;
        const size_t at = inner.find('@');
        if (at == std::string::npos)
            continue;
        module = inner.substr(0, at);
        ports.push_back({inner.substr(at + 1), !driven, Number(driven ? c.targetWidth : c.width),
                         Number(driven ? c.targetLsb : c.lsb)});
    }
    return module;
}

// The outer signal a connection ties to the module's port, with the port's name.
std::vector<std::pair<std::string, std::string>> PortMap(const InterfaceModel& model)
{
    std::vector<std::pair<std::string, std::string>> map;
    for (const InterfaceEntry& c : model.connections.entries()) {
        const bool driven = c.targetName.find('@') != std::string::npos;
        const std::string& inner = driven ? c.targetName : c.name;
        if (inner.find('@') != std::string::npos)
            map.emplace_back(inner.substr(inner.find('@') + 1), driven ? c.name : c.targetName);
    }
    return map;
}

std::string VhdlType(const HdlPort& port)
{
    if (port.width <= 1)
        return "std_logic";
    return "std_logic_vector(" + std::to_string(port.lsb + port.width - 1) + " downto " + std::to_string(port.lsb)
        + ")";
}

// A VHDL port clause, each line indented by indent.
std::string VhdlPorts(const std::vector<HdlPort>& ports, const std::string& indent)
{
    std::string text = indent + "port (\n";
    for (size_t i = 0; i < ports.size(); ++i) {
        text += indent + "    " + ports[i].name + " : " + (ports[i].output ? "out " : "in ") + VhdlType(ports[i]);
        text += i + 1 < ports.size() ? ";\n" : "\n";
    }
    return text + indent + ");\n";
}

std::string Quoted(const std::string& value)
{
    std::string text = "\"";
    for (const char c : value)
        text += c == '"' ? std::string("\"\"") : std::string(1, c);
    return text + "\"";
}

std::string VerilogQuoted(const std::string& value)
{
    std::string text = "\"";
    for (const char c : value)
        text += (c == '"' || c == '\\') ? std::string("\\") + c : std::string(1, c);
    return text + "\"";
}

std::string ConstantValue(const InterfaceEntry& constant, bool verilog)
{
    if (constant.type == "STRING")
        return verilog ? VerilogQuoted(constant.value) : Quoted(constant.value);
    return std::to_string(Number(constant.value));
}

std::string VerilogRange(const HdlPort& port)
{
    if (port.width <= 1)
        return "";
    return "[" + std::to_string(port.lsb + port.width - 1) + ":" + std::to_string(port.lsb) + "] ";
}

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

std::string VhdlDesignFile(const InterfaceModel& model, const std::string& entity)
{
    std::vector<HdlPort> inner;
    const std::string module = LibraryModule(model, inner);
    if (module.empty())
        return {};
    std::string text = "library ieee;\nuse ieee.std_logic_1164.all;\n\nentity " + entity + " is\n";
    text += VhdlPorts(UsedPorts(model), "    ") + "end " + entity + ";\n\n";
    text += "architecture rtl of " + entity + " is\n    component " + module + "\n";
    const auto& constants = model.constants.entries();
    if (!constants.empty()) {
        text += "        generic (\n";
        for (size_t i = 0; i < constants.size(); ++i) {
            text += "            " + constants[i].name + " : "
                + (constants[i].type == "STRING" ? "string" : "integer");
            text += i + 1 < constants.size() ? ";\n" : "\n";
        }
        text += "        );\n";
    }
    text += VhdlPorts(inner, "        ") + "    end component;\nbegin\n";
    text += "    " + module + "_inst : " + module + "\n";
    if (!constants.empty()) {
        text += "        generic map (\n";
        for (size_t i = 0; i < constants.size(); ++i) {
            text += "            " + constants[i].name + " => " + ConstantValue(constants[i], false);
            text += i + 1 < constants.size() ? ",\n" : "\n";
        }
        text += "        )\n";
    }
    text += "        port map (\n";
    const auto map = PortMap(model);
    for (size_t i = 0; i < map.size(); ++i) {
        text += "            " + map[i].first + " => " + map[i].second;
        text += i + 1 < map.size() ? ",\n" : "\n";
    }
    return text + "        );\nend rtl;\n";
}

std::string VerilogDesignFile(const InterfaceModel& model, const std::string& moduleName)
{
    std::vector<HdlPort> inner;
    const std::string module = LibraryModule(model, inner);
    if (module.empty())
        return {};
    const std::vector<HdlPort> ports = UsedPorts(model);
    std::string text = "module " + moduleName + " (\n";
    for (size_t i = 0; i < ports.size(); ++i) {
        text += std::string("    ") + (ports[i].output ? "output wire " : "input wire ") + VerilogRange(ports[i])
            + ports[i].name;
        text += i + 1 < ports.size() ? ",\n" : "\n";
    }
    text += ");\n    " + module;
    const auto& constants = model.constants.entries();
    if (!constants.empty()) {
        text += " #(\n";
        for (size_t i = 0; i < constants.size(); ++i) {
            text += "        ." + constants[i].name + "(" + ConstantValue(constants[i], true) + ")";
            text += i + 1 < constants.size() ? ",\n" : "\n";
        }
        text += "    )";
    }
    text += " " + module + "_inst (\n";
    const auto map = PortMap(model);
    for (size_t i = 0; i < map.size(); ++i) {
        text += "        ." + map[i].first + "(" + map[i].second + ")";
        text += i + 1 < map.size() ? ",\n" : "\n";
    }
    return text + "    );\nendmodule\n";
}

std::string ComponentDeclaration(const InterfaceModel& model, const std::string& entity)
{
    return "component " + entity + "\n" + VhdlPorts(UsedPorts(model), "    ") + "end component;\n";
}

bool MakeDesignFiles(std::vector<RunFile>& files, std::vector<std::string>& errors)
{
    std::string cnxPath;
    std::string designPath;
    for (const RunFile& file : files) {
        if (file.maker == RunFile::Maker::Wizard && EndsWith(file.path, ".cnx"))
            cnxPath = file.path;
        if (file.role == "design file")
            designPath = file.path;
    }
    InterfaceModel model;
    std::string contents;
    const bool readable = ReadRegularFile(cnxPath, kMaxRetrievalInfoSize, contents);
    if (readable) {
        std::istringstream in(std::move(contents));
        model.Read(in);
    }
    const std::string name = BaseName(designPath);
    const bool verilog = EndsWith(designPath, ".v");
    bool ok = true;
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
            text = verilog ? VerilogDesignFile(model, name) : VhdlDesignFile(model, name);
        else if (!model.ports.empty())
            text = ComponentDeclaration(model, name);
        if (text.empty()) {
            file.reason = "the retrieval information names no module and its ports";
            continue;
        }
        AtomicFile out;
        if (!out.Open(file.path, AtomicFile::Durability::Regenerable)
            || !(out.stream() << text) || !out.Commit()) {
            file.reason = "it cannot be written";
            errors.push_back("cannot write " + PrintableText(file.path));
            ok = false;
            continue;
        }
        file.made = true;
    }
    return ok;
}
