#include "settings/settings_mapping.h"

namespace {

struct PrivateKey {
    const char* name;
    int InterleaverSettings::*setting;
};

using S = InterleaverSettings;

// The order in which the settings are stored as private values.
constexpr PrivateKey kStoreOrder[] = {
    {"CONVOLUTIONAL", &S::CONVOLUTIONAL},
    {"BLOCK", &S::BLOCK},
    {"BLOCK_CONTINOUS", &S::BLOCK_CONTINOUS},
    {"INTERLEAVER", &S::INTERLEAVER},
    {"DEINTERLEAVER", &S::DEINTERLEAVER},
    {"INTERNAL_DPRAM", &S::INTERNAL_DPRAM},
    {"EXTERNAL_DPRAM", &S::EXTERNAL_DPRAM},
    {"SYMBOL_WIDTH", &S::SYMBOL_WIDTH},
    {"CHARACTERISTIC_I", &S::CHARACTERISTIC_I},
    {"CHARACTERISTIC_J", &S::CHARACTERISTIC_J},
    {"NUMBER_OF_SYMBOL_PER_CODEWORD", &S::NUMBER_OF_SYMBOL_PER_CODEWORD},
    {"NUMBER_OF_BURST_ERROR", &S::NUMBER_OF_BURST_ERROR},
};

// The order in which they are restored; the codeword length comes before I and J here.
constexpr PrivateKey kLoadOrder[] = {
    {"CONVOLUTIONAL", &S::CONVOLUTIONAL},
    {"BLOCK", &S::BLOCK},
    {"BLOCK_CONTINOUS", &S::BLOCK_CONTINOUS},
    {"INTERLEAVER", &S::INTERLEAVER},
    {"DEINTERLEAVER", &S::DEINTERLEAVER},
    {"INTERNAL_DPRAM", &S::INTERNAL_DPRAM},
    {"EXTERNAL_DPRAM", &S::EXTERNAL_DPRAM},
    {"SYMBOL_WIDTH", &S::SYMBOL_WIDTH},
    {"NUMBER_OF_SYMBOL_PER_CODEWORD", &S::NUMBER_OF_SYMBOL_PER_CODEWORD},
    {"CHARACTERISTIC_I", &S::CHARACTERISTIC_I},
    {"CHARACTERISTIC_J", &S::CHARACTERISTIC_J},
    {"NUMBER_OF_BURST_ERROR", &S::NUMBER_OF_BURST_ERROR},
};

const char* const kNoDefault = "NODEFVAL";
constexpr int kInput = 0;
constexpr int kOutput = 1;

// Adds the ports and connections of the block, naming the module's inner points after it.
class PortBuilder {
public:
    PortBuilder(InterfaceModel& model, const std::string& moduleName) : model_(model), module_(moduleName) {}

    std::string Inner(const std::string& point) const { return module_ + "@" + point; }

    void Port(const std::string& name, int direction, int width = 0)
    {
        model_.ports.AddPort(name, width, kNoDefault, direction, 0, 0, 0);
    }

    // A single input signal drives the inner point.
    void InputConnection(const std::string& port, const std::string& point)
    {
        model_.connections.AddConnection(Inner(point), port, "0", 0);
    }

    // The inner point drives a single output signal.
    void OutputConnection(const std::string& port, const std::string& point)
    {
        model_.connections.AddConnection(port, Inner(point), "0", 0);
    }

    void InputBus(const std::string& port, const std::string& point, int width)
    {
        model_.connections.AddBusConnection(Bus(Inner(point), width), Bus(port, width));
    }

    void OutputBus(const std::string& port, const std::string& point, int width)
    {
        model_.connections.AddBusConnection(Bus(port, width), Bus(Inner(point), width));
    }

    // An output signal with its connection, added one after the other.
    void Output(const std::string& port, const std::string& point)
    {
        Port(port, kOutput);
        OutputConnection(port, point);
    }

private:
    static PortRef Bus(const std::string& name, int width)
    {
        PortRef ref;
        ref.name = name;
        ref.width = width;
        return ref;
    }

    InterfaceModel& model_;
    const std::string& module_;
};

void AddConstants(const InterleaverSettings& settings, InterfaceList& constants, const std::string& module)
{
    // Each algorithm flag that is set adds its own type, so inconsistent restored flags give none
    // or several.
    if (settings.CONVOLUTIONAL == 1)
        constants.AddString("INT_TYPE", "CONVOLUTIONAL", module, -1);
    if (settings.BLOCK == 1)
        constants.AddString("INT_TYPE", "BLOCK", module, -1);
    if (settings.BLOCK_CONTINOUS == 1)
        constants.AddString("INT_TYPE", "BLOCK_CONTINOUS", module, -1);
    constants.AddNumber("INT_DEPTH", settings.CHARACTERISTIC_I, module, -1);
    constants.AddNumber("SYMBOL_DELAY", settings.CHARACTERISTIC_J, module, -1);
    constants.AddString("INT_MODE", settings.INTERLEAVER == 1 ? "INTERLEAVER" : "DEINTERLEAVER", module, -1);
}

void AddInternalMemoryPorts(const InterleaverSettings& settings, InterfaceModel& model, PortBuilder& ports,
                            const std::string& module)
{
    const int width = settings.SYMBOL_WIDTH;
    model.constants.AddNumber("SYMBOL_WIDTH", width, module, -1);
    ports.Port("din", kInput, width);
    ports.Port("dout", kOutput, width);
    ports.InputBus("din", "din", width);
    ports.OutputBus("dout", "dout", width);
    if (settings.BLOCK == 1) {
        ports.Output("next_din", "next_din");
        ports.Output("dout_valid", "dout_valid");
    }
    if (settings.continuousFlow())
        ports.Output("sync_out", "sync_out");
}

void AddExternalMemoryPorts(const InterleaverSettings& settings, PortBuilder& ports)
{
    const int addressWidth = settings.addressWidth();
    if (settings.continuousFlow()) {
        ports.Output("sync_out", "sync_out");
        ports.Port("read_addr", kOutput, addressWidth);
        ports.Port("write_addr", kOutput, addressWidth);
        ports.OutputBus("read_addr", "read_addr", addressWidth);
        ports.OutputBus("write_addr", "write_addr", addressWidth);
    }
    if (settings.BLOCK == 1) {
        ports.Output("write_enable", "block_write_enable");
        // The discrete block reads and writes through one address bus, the module's read address.
        ports.Port("addr", kOutput, addressWidth);
        ports.OutputBus("addr", "read_addr", addressWidth);
        ports.Output("block_full", "block_full");
        ports.Output("block_empty", "block_empty");
    }
}

} // namespace

std::string ModuleName(const InterleaverSettings& settings)
{
    std::string name;
    if (settings.INTERNAL_DPRAM == 1)
        name = "conv_qzram";
    if (settings.EXTERNAL_DPRAM == 1)
        name = "genaddr";
    return name;
}

void AddInterleaverEntries(const InterleaverSettings& settings, InterfaceModel& model)
{
    const std::string module = ModuleName(settings);
    AddConstants(settings, model.constants, module);

    PortBuilder ports(model, module);
    ports.Port("clock", kInput);
    ports.Port("sync_in", kInput);
    ports.Port("clken", kInput);
    ports.InputConnection("clock", "clock");
    ports.InputConnection("sync_in", "sync_in");
    ports.InputConnection("clken", "clock_enable");

    if (settings.INTERNAL_DPRAM == 1)
        AddInternalMemoryPorts(settings, model, ports, module);
    if (settings.EXTERNAL_DPRAM == 1)
        AddExternalMemoryPorts(settings, ports);

    for (const PrivateKey& key : kStoreOrder)
        model.AddPrivate(key.name, settings.*key.setting);
}

std::vector<std::string> PrivateSettingNames()
{
    std::vector<std::string> names;
    for (const PrivateKey& key : kStoreOrder)
        names.emplace_back(key.name);
    return names;
}

void LoadSettingsFromModel(InterleaverSettings& settings, const InterfaceModel& model)
{
    for (const PrivateKey& key : kLoadOrder)
        settings.*key.setting = model.GetPrivate(key.name, settings.*key.setting);
}
