#include "settings/settings_mapping.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Texts = std::vector<std::string>;

// "name type value @instance"
Texts Constants(const InterfaceModel& model)
{
    Texts texts;
    for (const InterfaceEntry& e : model.constants.entries())
        texts.push_back(e.name + " " + e.type + " " + e.value + " @" + e.instance);
    return texts;
}

// "direction busName"
Texts Ports(const InterfaceModel& model)
{
    Texts texts;
    for (const InterfaceEntry& e : model.ports.entries())
        texts.push_back(e.type + " " + e.busName);
    return texts;
}

// "target:width <- source:width"
Texts Connections(const InterfaceModel& model)
{
    Texts texts;
    for (const InterfaceEntry& e : model.connections.entries())
        texts.push_back(e.targetName + ":" + e.targetWidth + " <- " + e.name + ":" + e.width);
    return texts;
}

// The twelve settings in the order they are stored.
std::array<int, 12> Values(const InterleaverSettings& s)
{
    return {s.CONVOLUTIONAL,    s.BLOCK,          s.BLOCK_CONTINOUS,  s.INTERLEAVER,
            s.DEINTERLEAVER,    s.INTERNAL_DPRAM, s.EXTERNAL_DPRAM,   s.SYMBOL_WIDTH,
            s.CHARACTERISTIC_I, s.CHARACTERISTIC_J, s.NUMBER_OF_SYMBOL_PER_CODEWORD, s.NUMBER_OF_BURST_ERROR};
}

InterleaverSettings Make(int convolutional, int block, int continuous, int internal, int external)
{
    InterleaverSettings s;
    s.CONVOLUTIONAL = convolutional;
    s.BLOCK = block;
    s.BLOCK_CONTINOUS = continuous;
    s.INTERNAL_DPRAM = internal;
    s.EXTERNAL_DPRAM = external;
    return s;
}

struct MappingCase {
    const char* what;
    InterleaverSettings settings;
    std::string module;
    Texts constants;
    Texts ports;
    Texts connections;
};

const Texts kInputs = {"INPUT clock", "INPUT sync_in", "INPUT clken"};

Texts Join(Texts first, const Texts& second)
{
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

Texts InputConnections(const std::string& module)
{
    return {module + "@clock:0 <- clock:0", module + "@sync_in:0 <- sync_in:0",
            module + "@clock_enable:0 <- clken:0"};
}

Texts CommonConstants(const Texts& types, const std::string& module, const std::string& mode)
{
    Texts texts;
    for (const std::string& type : types)
        texts.push_back("INT_TYPE STRING " + type + " @" + module);
    return Join(texts, {"INT_DEPTH NUMERIC 12 @" + module, "SYMBOL_DELAY NUMERIC 17 @" + module,
                        "INT_MODE STRING " + mode + " @" + module});
}

std::vector<MappingCase> Cases()
{
    InterleaverSettings blockExternal = Make(0, 1, 0, 0, 1);
    blockExternal.INTERLEAVER = 0;
    blockExternal.DEINTERLEAVER = 1;

    return {
        {"convolutional, internal", Make(1, 0, 0, 1, 0), "conv_qzram",
         Join(CommonConstants({"CONVOLUTIONAL"}, "conv_qzram", "INTERLEAVER"), {"SYMBOL_WIDTH NUMERIC 8 @conv_qzram"}),
         Join(kInputs, {"INPUT din[7..0]", "OUTPUT dout[7..0]", "OUTPUT sync_out"}),
         Join(InputConnections("conv_qzram"),
              {"conv_qzram@din:8 <- din:8", "dout:8 <- conv_qzram@dout:8", "sync_out:0 <- conv_qzram@sync_out:0"})},
        {"convolutional, external", Make(1, 0, 0, 0, 1), "genaddr",
         CommonConstants({"CONVOLUTIONAL"}, "genaddr", "INTERLEAVER"),
         Join(kInputs, {"OUTPUT sync_out", "OUTPUT read_addr[11..0]", "OUTPUT write_addr[11..0]"}),
         Join(InputConnections("genaddr"), {"sync_out:0 <- genaddr@sync_out:0", "read_addr:12 <- genaddr@read_addr:12",
                                            "write_addr:12 <- genaddr@write_addr:12"})},
        {"block, internal", Make(0, 1, 0, 1, 0), "conv_qzram",
         Join(CommonConstants({"BLOCK"}, "conv_qzram", "INTERLEAVER"), {"SYMBOL_WIDTH NUMERIC 8 @conv_qzram"}),
         Join(kInputs, {"INPUT din[7..0]", "OUTPUT dout[7..0]", "OUTPUT next_din", "OUTPUT dout_valid"}),
         Join(InputConnections("conv_qzram"),
              {"conv_qzram@din:8 <- din:8", "dout:8 <- conv_qzram@dout:8", "next_din:0 <- conv_qzram@next_din:0",
               "dout_valid:0 <- conv_qzram@dout_valid:0"})},
        {"block deinterleaver, external", blockExternal, "genaddr",
         CommonConstants({"BLOCK"}, "genaddr", "DEINTERLEAVER"),
         Join(kInputs, {"OUTPUT write_enable", "OUTPUT addr[8..0]", "OUTPUT block_full", "OUTPUT block_empty"}),
         Join(InputConnections("genaddr"),
              {"write_enable:0 <- genaddr@block_write_enable:0", "addr:9 <- genaddr@read_addr:9",
               "block_full:0 <- genaddr@block_full:0", "block_empty:0 <- genaddr@block_empty:0"})},
        {"continuous block, internal", Make(0, 0, 1, 1, 0), "conv_qzram",
         Join(CommonConstants({"BLOCK_CONTINOUS"}, "conv_qzram", "INTERLEAVER"), {"SYMBOL_WIDTH NUMERIC 8 @conv_qzram"}),
         Join(kInputs, {"INPUT din[7..0]", "OUTPUT dout[7..0]", "OUTPUT sync_out"}),
         Join(InputConnections("conv_qzram"),
              {"conv_qzram@din:8 <- din:8", "dout:8 <- conv_qzram@dout:8", "sync_out:0 <- conv_qzram@sync_out:0"})},
        {"no memory flag", Make(1, 0, 0, 0, 0), "", CommonConstants({"CONVOLUTIONAL"}, "", "INTERLEAVER"), kInputs,
         InputConnections("")},
        {"both memory flags", Make(1, 0, 0, 1, 1), "genaddr",
         Join(CommonConstants({"CONVOLUTIONAL"}, "genaddr", "INTERLEAVER"), {"SYMBOL_WIDTH NUMERIC 8 @genaddr"}),
         Join(kInputs, {"INPUT din[7..0]", "OUTPUT dout[7..0]", "OUTPUT sync_out", "OUTPUT sync_out",
                        "OUTPUT read_addr[11..0]", "OUTPUT write_addr[11..0]"}),
         Join(InputConnections("genaddr"),
              {"genaddr@din:8 <- din:8", "dout:8 <- genaddr@dout:8", "sync_out:0 <- genaddr@sync_out:0",
               "sync_out:0 <- genaddr@sync_out:0", "read_addr:12 <- genaddr@read_addr:12",
               "write_addr:12 <- genaddr@write_addr:12"})},
        {"every algorithm flag", Make(1, 1, 1, 1, 0), "conv_qzram",
         Join(CommonConstants({"CONVOLUTIONAL", "BLOCK", "BLOCK_CONTINOUS"}, "conv_qzram", "INTERLEAVER"),
              {"SYMBOL_WIDTH NUMERIC 8 @conv_qzram"}),
         Join(kInputs,
              {"INPUT din[7..0]", "OUTPUT dout[7..0]", "OUTPUT next_din", "OUTPUT dout_valid", "OUTPUT sync_out"}),
         Join(InputConnections("conv_qzram"),
              {"conv_qzram@din:8 <- din:8", "dout:8 <- conv_qzram@dout:8", "next_din:0 <- conv_qzram@next_din:0",
               "dout_valid:0 <- conv_qzram@dout_valid:0", "sync_out:0 <- conv_qzram@sync_out:0"})},
        {"no algorithm flag, external", Make(0, 0, 0, 0, 1), "genaddr", CommonConstants({}, "genaddr", "INTERLEAVER"),
         kInputs, InputConnections("genaddr")},
    };
}

} // namespace

TEST(SettingsMapping, EntriesFollowAlgorithmAndMemory)
{
    for (const MappingCase& c : Cases()) {
        SCOPED_TRACE(c.what);
        InterfaceModel model;
        AddInterleaverEntries(c.settings, model);
        EXPECT_EQ(ModuleName(c.settings), c.module);
        EXPECT_TRUE(model.parameters.empty());
        EXPECT_EQ(Constants(model), c.constants);
        EXPECT_EQ(Ports(model), c.ports);
        EXPECT_EQ(Connections(model), c.connections);
        EXPECT_EQ(model.privates.size(), 12u);
    }
}

TEST(SettingsMapping, PortsHaveNoDefaultAndStartAtBitZero)
{
    InterfaceModel model;
    AddInterleaverEntries(InterleaverSettings(), model);
    for (const InterfaceEntry& port : model.ports.entries()) {
        EXPECT_EQ(port.value, "NODEFVAL") << port.name;
        EXPECT_EQ(port.lsb, "0") << port.name;
        EXPECT_EQ(port.width2, "0") << port.name;
        EXPECT_EQ(port.lsb2, "0") << port.name;
    }
    for (const InterfaceEntry& connection : model.connections.entries()) {
        EXPECT_EQ(connection.lsb, "0") << connection.name;
        EXPECT_EQ(connection.targetLsb, "0") << connection.name;
        EXPECT_EQ(connection.width2, "0") << connection.name;
        EXPECT_EQ(connection.targetWidth2, "0") << connection.name;
    }
}

TEST(SettingsMapping, PrivatesHoldEverySettingInStoreOrder)
{
    InterleaverSettings s = Make(0, 1, 0, 0, 1);
    s.INTERLEAVER = 0;
    s.DEINTERLEAVER = 1;
    s.SYMBOL_WIDTH = 5;
    s.CHARACTERISTIC_I = 33;
    s.CHARACTERISTIC_J = 44;
    s.NUMBER_OF_SYMBOL_PER_CODEWORD = 77;
    s.NUMBER_OF_BURST_ERROR = -99;

    InterfaceModel model;
    AddInterleaverEntries(s, model);
    Texts privates;
    for (const InterfaceEntry& e : model.privates.entries())
        privates.push_back(e.name + "=" + e.value + " " + e.type + " @" + e.instance);
    EXPECT_EQ(privates, (Texts{"CONVOLUTIONAL=0 NUMERIC @", "BLOCK=1 NUMERIC @", "BLOCK_CONTINOUS=0 NUMERIC @",
                               "INTERLEAVER=0 NUMERIC @", "DEINTERLEAVER=1 NUMERIC @", "INTERNAL_DPRAM=0 NUMERIC @",
                               "EXTERNAL_DPRAM=1 NUMERIC @", "SYMBOL_WIDTH=5 NUMERIC @",
                               "CHARACTERISTIC_I=33 NUMERIC @", "CHARACTERISTIC_J=44 NUMERIC @",
                               "NUMBER_OF_SYMBOL_PER_CODEWORD=77 NUMERIC @", "NUMBER_OF_BURST_ERROR=-99 NUMERIC @"}));
}

TEST(SettingsLoad, MissingPrivatesKeepCurrentValues)
{
    InterleaverSettings s = Make(0, 1, 0, 0, 1);
    s.CHARACTERISTIC_I = 7;
    const std::array<int, 12> before = Values(s);

    InterfaceModel model;
    model.AddPrivate("OTHER", 5);
    model.AddPrivate("characteristic_i", 9);
    LoadSettingsFromModel(s, model);
    EXPECT_EQ(Values(s), before);
}

TEST(SettingsLoad, StoredTextsReadAsDecimal)
{
    InterfaceModel model;
    auto addText = [&model](const std::string& name, const std::string& value) {
        InterfaceEntry entry;
        entry.name = name;
        entry.type = "NUMERIC";
        entry.value = value;
        model.privates.Add(entry);
    };
    addText("SYMBOL_WIDTH", "abc");
    addText("CHARACTERISTIC_I", " 12x");
    addText("CHARACTERISTIC_J", "-3");
    addText("CHARACTERISTIC_J", "40");
    addText("NUMBER_OF_SYMBOL_PER_CODEWORD", "+25");

    InterleaverSettings s;
    LoadSettingsFromModel(s, model);
    EXPECT_EQ(s.SYMBOL_WIDTH, 0);
    EXPECT_EQ(s.CHARACTERISTIC_I, 12);
    EXPECT_EQ(s.CHARACTERISTIC_J, -3); // the first of two equal names
    EXPECT_EQ(s.NUMBER_OF_SYMBOL_PER_CODEWORD, 25);
    EXPECT_EQ(s.NUMBER_OF_BURST_ERROR, 10);
}

TEST(SettingsLoad, StoreThenLoadRestoresEverySetting)
{
    const std::array<std::array<int, 12>, 3> variations = {{
        {0, 1, 0, 0, 1, 0, 1, 64, 40, 500, 2, 500},
        {1, 1, 1, 1, 1, 1, 1, 1, 2, 2, 500, 2},
        {2, -1, 0, INT_MIN, INT_MAX, 0, 0, -8, INT_MIN, INT_MAX, 0, -1},
    }};
    for (const auto& values : variations) {
        InterleaverSettings stored;
        int* fields[] = {&stored.CONVOLUTIONAL,    &stored.BLOCK,          &stored.BLOCK_CONTINOUS,
                         &stored.INTERLEAVER,      &stored.DEINTERLEAVER,  &stored.INTERNAL_DPRAM,
                         &stored.EXTERNAL_DPRAM,   &stored.SYMBOL_WIDTH,   &stored.CHARACTERISTIC_I,
                         &stored.CHARACTERISTIC_J, &stored.NUMBER_OF_SYMBOL_PER_CODEWORD,
                         &stored.NUMBER_OF_BURST_ERROR};
        for (size_t k = 0; k < values.size(); ++k)
            *fields[k] = values[k];

        // Through the model directly, and through its stored text.
        InterfaceModel model;
        AddInterleaverEntries(stored, model);
        InterleaverSettings direct;
        LoadSettingsFromModel(direct, model);
        EXPECT_EQ(Values(direct), values);

        std::stringstream text;
        model.Write(text);
        InterfaceModel reread;
        reread.Read(text);
        InterleaverSettings restored;
        LoadSettingsFromModel(restored, reread);
        EXPECT_EQ(Values(restored), values);
    }
}
