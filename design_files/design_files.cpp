#include "design_files/design_files.h"

#include "core_model/core_settings.h"
#include "design_files/hdl_identifiers.h"
#include "platform/printable_text.h"
#include "platform/regular_file.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <sstream>
#include <string_view>

int FieldNumber(const std::string& text)
{
    try {
        return std::stoi(text);
    } catch (...) {
        return 0;
    }
}

namespace {

// One port of an entity, a module or the library module: its name, direction and bit range.
struct HdlPort {
    std::string name;
    bool output = false;
    int width = 0; // 0: a single bit; 1 and more a bus, which Verilog writes as a bit when it has one
    int lsb = 0;
};

// The index of a port's most significant bit, which may lie past the range of int.
int64_t Msb(const HdlPort& port)
{
    return int64_t(port.lsb) + port.width - 1;
}

std::vector<HdlPort> UsedPorts(const InterfaceModel& model)
{
    std::vector<HdlPort> ports;
    for (const InterfaceEntry& entry : model.ports.entries())
        ports.push_back({entry.name, entry.type == "OUTPUT", FieldNumber(entry.width), FieldNumber(entry.lsb)});
    return ports;
}

// One connection between the library module and the design: the module's name and port (which is
// one of the module's inputs when it is driven, one of its outputs when it drives), and the outer
// signal at its other end.
struct ModuleConnection {
    std::string module;
    HdlPort port;
    std::string signal;
};

// The connections of model with an end named module@port.
std::vector<ModuleConnection> ModuleConnections(const InterfaceModel& model)
{
    std::vector<ModuleConnection> connections;
    for (const InterfaceEntry& c : model.connections.entries()) {
        const bool driven = c.targetName.find('@') != std::string::npos;
        const std::string& inner = driven ? c.targetName : c.name;
        const size_t at = inner.find('@');
        if (at == std::string::npos)
            continue;
        const HdlPort port{inner.substr(at + 1), !driven, FieldNumber(driven ? c.targetWidth : c.width),
                           FieldNumber(driven ? c.targetLsb : c.lsb)};
        connections.push_back({inner.substr(0, at), port, driven ? c.name : c.targetName});
    }
    return connections;
}

// The library module's name, the last one the connections give, and its ports.
std::string LibraryModule(const InterfaceModel& model, std::vector<HdlPort>& ports)
{
    std::string module;
    for (const ModuleConnection& c : ModuleConnections(model)) {
        module = c.module;
        ports.push_back(c.port);
    }
    return module;
}

// The address width genaddr gives itself from the generics of model's CONSTANT lines, or 0 when
// they do not name a core it accepts.
int GenaddrAddressWidth(const InterfaceModel& model)
{
    zorvex::core::CoreSettings core;
    for (const InterfaceEntry& constant : model.constants.entries()) {
        if (constant.name == "INT_TYPE")
            core.type = constant.value == "CONVOLUTIONAL" ? zorvex::core::IntType::Convolutional
                : constant.value == "BLOCK"               ? zorvex::core::IntType::Block
                                                          : zorvex::core::IntType::BlockContinous;
        else if (constant.name == "INT_DEPTH")
            core.depth = FieldNumber(constant.value);
        else if (constant.name == "SYMBOL_DELAY")
            core.delay = FieldNumber(constant.value);
    }
    std::string ignored;
    return zorvex::core::Validate(core, ignored) ? zorvex::core::AddressWidth(core) : 0;
}

// A module port narrower than the design's signal tied to it: the module drives the signal's low
// bits, the design the others with 0.
struct NarrowPort {
    std::string signal;
    HdlPort outer; // the design's port, its full width
    int moduleWidth; // the bits the module drives
};

// genaddr's addresses are as wide as genaddr makes them, which for a continuous block need not be
// the width the retrieval information gives: the wizard keeps its last address width for it. A
// wider design bus carries the address in its low bits, the others 0, so that the design binds and
// addresses the same words; a narrower one cannot carry it, and the file is not made (false, with
// the reason). inner's address ports take the module's width.
bool FitModulePorts(const InterfaceModel& model, std::vector<HdlPort>& inner, std::vector<NarrowPort>& narrow,
                    std::string& reason)
{
    if (ModuleConnections(model).empty() || ModuleConnections(model).back().module != "genaddr")
        return true;
    const int width = GenaddrAddressWidth(model);
    if (width == 0)
        return true;
    const std::vector<HdlPort> outer = UsedPorts(model);
    for (const ModuleConnection& c : ModuleConnections(model)) {
        if (c.port.name != "read_addr" && c.port.name != "write_addr")
            continue;
        const auto port =
            std::find_if(outer.begin(), outer.end(), [&](const HdlPort& p) { return p.name == c.signal; });
        if (port == outer.end() || port->width == width || port->width < 1)
            continue;
        if (port->width < width) {
            reason = "the address bus " + c.signal + " has " + std::to_string(port->width)
                + " bits in the retrieval information, and genaddr's " + c.port.name + " needs " + std::to_string(width)
                + " for these generics";
            return false;
        }
        for (HdlPort& p : inner) {
            if (p.name == c.port.name)
                p.width = width;
        }
        narrow.push_back({c.signal, *port, width});
    }
    return true;
}

// The outer signal a connection ties to the module's port, with the port's name.
std::vector<std::pair<std::string, std::string>> PortMap(const InterfaceModel& model)
{
    std::vector<std::pair<std::string, std::string>> map;
    for (const ModuleConnection& c : ModuleConnections(model))
        map.emplace_back(c.port.name, c.signal);
    return map;
}

// A port of width 0 is a single bit; a bus of width w, even w = 1, spans w bits, as the library
// module declares it (a one-bit symbol is a std_logic_vector(0 downto 0) there).
std::string VhdlType(const HdlPort& port)
{
    if (port.width <= 0)
        return "std_logic";
    return "std_logic_vector(" + std::to_string(Msb(port)) + " downto " + std::to_string(port.lsb) + ")";
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
    return std::to_string(FieldNumber(constant.value));
}

std::string VerilogRange(const HdlPort& port)
{
    if (port.width <= 1)
        return "";
    return "[" + std::to_string(Msb(port)) + ":" + std::to_string(port.lsb) + "] ";
}

// Checks the names and numbers of a design file against the rules of its language, so that a file
// is made only when every tool reads it as the retrieval information means it. Each check returns
// false, with the reason, when it fails.
class DesignRules {
public:
    DesignRules(HdlLanguage language, std::string& reason) : language_(language), reason_(reason) {}

    bool Identifier(const std::string& name)
    {
        if (!IsHdlIdentifier(language_, name, reason_))
            return false;
        if (language_ == HdlLanguage::Vhdl93 && IsVhdlLibraryName(name)) {
            reason_ = Shown(name) + " is a name that the VHDL file takes from its libraries";
            return false;
        }
        return true;
    }

    // Declares name as what in scope; false when the scope already holds it, in VHDL whatever its case.
    bool Declare(std::map<std::string, std::string>& scope, const std::string& name, const std::string& what)
    {
        const auto [earlier, added] = scope.emplace(IdentifierKey(language_, name), what);
        if (!added) {
            reason_ =
                Shown(name) + " is declared twice in one scope of the file: as " + earlier->second + " and as " + what;
            return false;
        }
        return true;
    }

    // Whether the port's bit range can be written: in VHDL a std_logic_vector's indices are natural
    // numbers, in Verilog a range's bounds are 32-bit integers.
    bool Range(const HdlPort& port)
    {
        if (port.width <= 0)
            return true;
        const int64_t msb = Msb(port);
        if (language_ == HdlLanguage::Vhdl93 && (port.lsb < 0 || msb > INT32_MAX)) {
            reason_ = "the bits " + std::to_string(msb) + " downto " + std::to_string(port.lsb) + " of the port "
                + Shown(port.name) + " lie outside the indices of std_logic_vector, 0 to 2147483647";
            return false;
        }
        if (language_ == HdlLanguage::Verilog2001 && msb > INT32_MAX) {
            reason_ = "the bits [" + std::to_string(msb) + ":" + std::to_string(port.lsb) + "] of the port "
                + Shown(port.name) + " lie outside Verilog's 32-bit integers";
            return false;
        }
        return true;
    }

    bool Constant(const InterfaceEntry& constant)
    {
        if (!Identifier(constant.name))
            return false;
        if (constant.type == "STRING" && !IsHdlStringValue(language_, constant.value, reason_)) {
            reason_ = "the constant " + Shown(constant.name) + " cannot be written: " + reason_;
            return false;
        }
        return true;
    }

    bool Fail(const std::string& reason)
    {
        reason_ = reason;
        return false;
    }

    HdlLanguage language() const { return language_; }

    static std::string Shown(const std::string& name) { return "\"" + PrintableText(name) + "\""; }

private:
    HdlLanguage language_;
    std::string& reason_;
};

const char kNoModule[] = "the retrieval information names no module and its ports";

// Whether the design's own entity or module, named name, with the model's used ports can be written.
// scope receives the ports, and outputs whether each of them is an output.
bool CheckDesignPorts(const InterfaceModel& model, const std::string& name, DesignRules& rules,
                      std::map<std::string, std::string>& scope, std::map<std::string, bool>& outputs)
{
    if (!rules.Identifier(name))
        return false;
    for (const HdlPort& port : UsedPorts(model)) {
        if (!rules.Identifier(port.name) || !rules.Range(port)
            || !rules.Declare(scope, port.name, "a port of the design"))
            return false;
        outputs[IdentifierKey(rules.language(), port.name)] = port.output;
    }
    return true;
}

// Whether the design file, the design named name with one instance of the library module, can be
// written: one module, the design's ports, the module's ports each tied to a design port of the
// fitting direction, the constants.
bool CheckDesignFile(const InterfaceModel& model, const std::string& name, DesignRules& rules)
{
    const std::vector<ModuleConnection> connections = ModuleConnections(model);
    if (connections.empty())
        return rules.Fail(kNoModule);
    const std::string& module = connections.back().module;
    const bool vhdl = rules.language() == HdlLanguage::Vhdl93;
    // In VHDL the entity and its architecture are one scope, which holds the ports and the
    // instance's label (the library's entity is named through work, which no port may hide); a
    // Verilog module holds the ports and the instance.
    std::map<std::string, std::string> designScope;
    std::map<std::string, bool> designOutputs;
    if (!CheckDesignPorts(model, name, rules, designScope, designOutputs))
        return false;
    if (!rules.Identifier(module) || !rules.Identifier(module + "_inst"))
        return false;
    if (IdentifierKey(rules.language(), module) == IdentifierKey(rules.language(), name))
        return rules.Fail("the design " + DesignRules::Shown(name) + " cannot hold an instance of the library module "
                          + DesignRules::Shown(module) + ", which is itself");
    if (!rules.Declare(designScope, module + "_inst", "the instance of the library module"))
        return false;
    // The library entity's generics and ports are one scope; in Verilog the parameters and the
    // ports are each named once in the instance.
    std::map<std::string, std::string> moduleScope;
    std::map<std::string, std::string> parameterScope;
    for (const InterfaceEntry& constant : model.constants.entries()) {
        if (!rules.Constant(constant)
            || !rules.Declare(vhdl ? moduleScope : parameterScope, constant.name, "a constant"))
            return false;
    }
    for (const ModuleConnection& c : connections) {
        if (IdentifierKey(rules.language(), c.module) != IdentifierKey(rules.language(), module))
            return rules.Fail("the connections name two library modules, " + DesignRules::Shown(c.module) + " and "
                              + DesignRules::Shown(module));
        if (!rules.Identifier(c.port.name) || !rules.Range(c.port)
            || !rules.Declare(moduleScope, c.port.name, "a port of the library module"))
            return false;
        const std::string what = std::string("the library module's ") + (c.port.output ? "output " : "input ")
            + DesignRules::Shown(c.port.name);
        if (!rules.Identifier(c.signal))
            return false;
        const auto outer = designOutputs.find(IdentifierKey(rules.language(), c.signal));
        if (outer == designOutputs.end())
            return rules.Fail(what + " is connected to " + DesignRules::Shown(c.signal)
                              + ", which is not a port of the design");
        // An input of the module reads a design input; an output drives a design output.
        if (outer->second != c.port.output)
            return rules.Fail(what + " is connected to the design's " + (outer->second ? "output " : "input ")
                              + DesignRules::Shown(c.signal));
    }
    return true;
}

} // namespace

std::string LibraryModuleName(const InterfaceModel& model)
{
    std::vector<HdlPort> ports;
    return LibraryModule(model, ports);
}

std::string VhdlDesignFile(const InterfaceModel& model, const std::string& entity, std::string& reason)
{
    reason.clear();
    DesignRules rules(HdlLanguage::Vhdl93, reason);
    if (!CheckDesignFile(model, entity, rules))
        return {};
    std::vector<HdlPort> inner;
    const std::string module = LibraryModule(model, inner);
    std::vector<NarrowPort> narrow;
    if (!FitModulePorts(model, inner, narrow, reason))
        return {};
    std::string text = "library ieee;\nuse ieee.std_logic_1164.all;\n\nentity " + entity + " is\n";
    text += VhdlPorts(UsedPorts(model), "    ") + "end " + entity + ";\n\n";
    // The library's entity itself, which binds with no configuration and which synthesis reads.
    text += "architecture rtl of " + entity + " is\nbegin\n";
    text += "    " + module + "_inst : entity work." + module + "\n";
    const auto& constants = model.constants.entries();
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
        std::string actual = map[i].second;
        for (const NarrowPort& n : narrow) {
            if (n.signal == actual)
                actual += "(" + std::to_string(n.outer.lsb + n.moduleWidth - 1) + " downto "
                    + std::to_string(n.outer.lsb) + ")";
        }
        text += "            " + map[i].first + " => " + actual;
        text += i + 1 < map.size() ? ",\n" : "\n";
    }
    text += "        );\n";
    for (const NarrowPort& n : narrow)
        text += "    " + n.signal + "(" + std::to_string(Msb(n.outer)) + " downto "
            + std::to_string(n.outer.lsb + n.moduleWidth) + ") <= (others => '0');\n";
    return text + "end rtl;\n";
}

std::string VerilogDesignFile(const InterfaceModel& model, const std::string& moduleName, std::string& reason)
{
    reason.clear();
    DesignRules rules(HdlLanguage::Verilog2001, reason);
    if (!CheckDesignFile(model, moduleName, rules))
        return {};
    std::vector<HdlPort> inner;
    const std::string module = LibraryModule(model, inner);
    std::vector<NarrowPort> narrow;
    if (!FitModulePorts(model, inner, narrow, reason))
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
        std::string actual = map[i].second;
        for (const NarrowPort& n : narrow) {
            if (n.signal == actual)
                actual +=
                    "[" + std::to_string(n.outer.lsb + n.moduleWidth - 1) + ":" + std::to_string(n.outer.lsb) + "]";
        }
        text += "        ." + map[i].first + "(" + actual + ")";
        text += i + 1 < map.size() ? ",\n" : "\n";
    }
    text += "    );\n";
    for (const NarrowPort& n : narrow)
        text += "    assign " + n.signal + "[" + std::to_string(Msb(n.outer)) + ":"
            + std::to_string(n.outer.lsb + n.moduleWidth) + "] = " + std::to_string(n.outer.width - n.moduleWidth)
            + "'b0;\n";
    return text + "endmodule\n";
}

std::string ComponentDeclaration(const InterfaceModel& model, const std::string& entity, std::string& reason)
{
    reason.clear();
    if (model.ports.empty()) {
        reason = kNoModule;
        return {};
    }
    DesignRules rules(HdlLanguage::Vhdl93, reason);
    std::map<std::string, std::string> scope;
    std::map<std::string, bool> outputs;
    if (!CheckDesignPorts(model, entity, rules, scope, outputs))
        return {};
    return "component " + entity + "\n" + VhdlPorts(UsedPorts(model), "    ") + "end component;\n";
}
