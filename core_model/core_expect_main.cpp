// zorvex_core_expect: the bridge between the simulators and the reference model.
//
//   zorvex_core_expect OPTIONS --write-stimulus FILE   writes the stimulus, one edge a line:
//                                                      "clock_enable sync_in din" (din in binary)
//   zorvex_core_expect OPTIONS --check DUMP            compares a testbench's dump with the model
//
// OPTIONS: --type convolutional|block|continuous --mode interleaver|deinterleaver
//          --memory internal|external --pair -I N -J N -W N --cycles N
//          --stimulus vector|steady|random:SEED|frames:SEED
//          --ram-writes-late (genaddr's RAM takes each write at the next enabled edge)
// A dump line holds, per edge, the core's outputs as binary strings: conv_qzram
// "next_din dout sync_out dout_valid", genaddr "read_addr write_addr block_write_enable sync_out
// block_full block_empty ram_q"; with --pair the deinterleaver's fields follow the interleaver's.
#include <cstdint>
#include <fstream>
#include <iostream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "core_model/core_models.h"

using namespace zorvex::core;

namespace {

struct Options {
    CoreSettings settings;
    MemoryKind memory = MemoryKind::Internal;
    bool pair = false;
    bool ramWritesLate = false; // genaddr's RAM takes each write at the next enabled edge
    long cycles = 200;
    std::string stimulus = "vector";
    std::string writeStimulus;
    std::string check;
};

bool Parse(int argc, char** argv, Options& o)
{
    for (int k = 1; k < argc; ++k) {
        const std::string a = argv[k];
        const bool hasValue = k + 1 < argc;
        const std::string v = hasValue ? argv[k + 1] : "";
        if (a == "--pair") {
            o.pair = true;
            continue;
        }
        if (a == "--ram-writes-late") {
            o.ramWritesLate = true;
            continue;
        }
        if (!hasValue)
            return false;
        ++k;
        if (a == "--type") {
            if (v == "convolutional")
                o.settings.type = IntType::Convolutional;
            else if (v == "block")
                o.settings.type = IntType::Block;
            else if (v == "continuous")
                o.settings.type = IntType::BlockContinous;
            else
                return false;
        } else if (a == "--mode") {
            if (v == "interleaver")
                o.settings.mode = IntMode::Interleaver;
            else if (v == "deinterleaver")
                o.settings.mode = IntMode::Deinterleaver;
            else
                return false;
        } else if (a == "--memory") {
            if (v == "internal")
                o.memory = MemoryKind::Internal;
            else if (v == "external")
                o.memory = MemoryKind::External;
            else
                return false;
        } else if (a == "-I") {
            o.settings.depth = std::stoi(v);
        } else if (a == "-J") {
            o.settings.delay = std::stoi(v);
        } else if (a == "-W") {
            o.settings.width = std::stoi(v);
        } else if (a == "--cycles") {
            o.cycles = std::stol(v);
        } else if (a == "--stimulus") {
            o.stimulus = v;
        } else if (a == "--write-stimulus") {
            o.writeStimulus = v;
        } else if (a == "--check") {
            o.check = v;
        } else {
            return false;
        }
    }
    return !o.writeStimulus.empty() || !o.check.empty();
}

std::uint64_t Mask(int width)
{
    return width >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << width) - 1;
}

// vector: the wizard's vector file (sync_in at the third edge while clock_enable is 0, then
// clock_enable 1 and din counting from the fifth edge); steady: clock_enable 1 and sync_in at
// the first edge, din counting; random: clock_enable gaps, rare sync_in pulses (and two at
// consecutive symbols from a third of the run on: a frame start right after one out of step),
// random din;
// frames: clock_enable gaps and random din with sync_in on every I*J-th symbol, so that frames
// start in step and discrete blocks are cut at the first symbol of their read phase.
bool MakeStimulus(const Options& o, std::vector<CycleInput>& inputs)
{
    const std::uint64_t mask = Mask(o.settings.width);
    std::uint64_t counter = 0;
    if (o.stimulus == "vector" || o.stimulus == "steady") {
        const bool vector = o.stimulus == "vector";
        for (long k = 0; k < o.cycles; ++k) {
            CycleInput in;
            in.syncIn = vector ? k == 2 : k == 0;
            in.clockEnable = vector ? k >= 4 : true;
            in.din = in.clockEnable ? (counter++ & mask) : 0;
            inputs.push_back(in);
        }
        return true;
    }
    const bool frames = o.stimulus.rfind("frames:", 0) == 0;
    if (!frames && o.stimulus.rfind("random:", 0) != 0)
        return false;
    std::mt19937_64 random(std::stoull(o.stimulus.substr(7)));
    const long frame = static_cast<long>(o.settings.depth) * o.settings.delay;
    long taken = 0;
    int pair = 2;
    for (long k = 0; k < o.cycles; ++k) {
        CycleInput in;
        in.clockEnable = k >= 1 && random() % 5 != 0;
        if (frames) {
            in.syncIn = in.clockEnable && taken % frame == 0;
        } else {
            const bool paired = k >= o.cycles / 3 && pair > 0 && in.clockEnable;
            pair -= paired;
            in.syncIn = k == 1 || random() % 997 == 0 || paired;
        }
        in.din = random() & mask;
        taken += in.clockEnable;
        inputs.push_back(in);
    }
    return true;
}

std::string Bits(std::uint64_t value, int width)
{
    std::string s(static_cast<std::size_t>(width), '0');
    for (int b = 0; b < width; ++b) {
        if ((value >> b) & 1)
            s[static_cast<std::size_t>(width - 1 - b)] = '1';
    }
    return s;
}

std::string Bit(bool b)
{
    return b ? "1" : "0";
}

// The expected tokens of one stage; "-" stands for a don't-care data word.
void Expect(const ConvQzramCycle& c, const GenaddrCycle& g, const Options& o, std::vector<std::string>& tokens)
{
    const int w = o.settings.width;
    if (o.memory == MemoryKind::Internal) {
        tokens.push_back(Bit(c.nextDin));
        tokens.push_back(c.dout ? Bits(*c.dout, w) : "-");
        tokens.push_back(Bit(c.syncOut));
        tokens.push_back(Bit(c.doutValid));
        return;
    }
    const int a = AddressWidth(o.settings);
    tokens.push_back(Bits(g.readAddr, a));
    tokens.push_back(Bits(g.writeAddr, a));
    tokens.push_back(Bit(g.blockWriteEnable));
    tokens.push_back(Bit(g.syncOut));
    tokens.push_back(Bit(g.blockFull));
    tokens.push_back(Bit(g.blockEmpty));
    tokens.push_back(g.ramOut ? Bits(*g.ramOut, w) : "-");
}

// The tokens the model expects on each edge of the dump, as Expect writes them.
std::vector<std::vector<std::string>> ExpectedTokens(const Options& o, const std::vector<CycleInput>& inputs)
{
    std::vector<std::vector<std::string>> expected;
    if (o.pair) {
        for (const PairCycle& p : RunPair(o.settings, o.memory, inputs, o.ramWritesLate)) {
            std::vector<std::string> tokens;
            Expect(p.interleaver, p.interleaverAddresses, o, tokens);
            Expect(p.deinterleaver, p.deinterleaverAddresses, o, tokens);
            expected.push_back(tokens);
        }
    } else if (o.memory == MemoryKind::Internal) {
        ConvQzramModel model(o.settings);
        for (const CycleInput& in : inputs) {
            std::vector<std::string> tokens;
            Expect(model.Edge(in), GenaddrCycle{}, o, tokens);
            expected.push_back(tokens);
        }
    } else {
        GenaddrModel model(o.settings, o.ramWritesLate);
        for (const CycleInput& in : inputs) {
            std::vector<std::string> tokens;
            const GenaddrCycle g = model.Edge(in);
            Expect(StreamOf(g), g, o, tokens);
            expected.push_back(tokens);
        }
    }
    return expected;
}

int Check(const Options& o, const std::vector<CycleInput>& inputs)
{
    const std::vector<std::vector<std::string>> expected = ExpectedTokens(o, inputs);
    std::ifstream dump(o.check);
    if (!dump) {
        std::cerr << "cannot read " << o.check << "\n";
        return 2;
    }
    std::string line;
    std::size_t row = 0;
    long mismatches = 0;
    while (std::getline(dump, line)) {
        if (line.empty())
            continue;
        std::istringstream fields(line);
        std::vector<std::string> got;
        for (std::string t; fields >> t;)
            got.push_back(t);
        if (row >= expected.size()) {
            std::cerr << "dump has more than " << expected.size() << " edges\n";
            return 1;
        }
        const std::vector<std::string>& want = expected[row];
        bool same = got.size() == want.size();
        for (std::size_t k = 0; same && k < want.size(); ++k) {
            same = want[k] == "-" ? got[k].size() == static_cast<std::size_t>(o.settings.width) : got[k] == want[k];
        }
        if (!same && ++mismatches <= 5) {
            std::cerr << "edge " << row << ": got \"" << line << "\", want \"";
            for (const std::string& t : want)
                std::cerr << t << ' ';
            std::cerr << "\"\n";
        }
        ++row;
    }
    if (row != expected.size()) {
        std::cerr << "dump has " << row << " edges, want " << expected.size() << "\n";
        return 1;
    }
    if (mismatches > 0) {
        std::cerr << mismatches << " of " << row << " edges differ from the model\n";
        return 1;
    }
    std::cout << row << " edges match the model\n";
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    Options o;
    if (!Parse(argc, argv, o)) {
        std::cerr
            << "usage: zorvex_core_expect --type T --mode M --memory K [--pair] [--ram-writes-late] -I N -J N -W N "
               "--cycles N --stimulus vector|steady|random:SEED (--write-stimulus FILE | --check DUMP)\n";
        return 2;
    }
    std::string message;
    if (!Validate(o.settings, message)) {
        std::cerr << message << "\n";
        return 2;
    }
    std::vector<CycleInput> inputs;
    if (!MakeStimulus(o, inputs)) {
        std::cerr << "unknown stimulus " << o.stimulus << "\n";
        return 2;
    }
    if (!o.writeStimulus.empty()) {
        std::ofstream out(o.writeStimulus);
        for (const CycleInput& in : inputs) {
            out << Bit(in.clockEnable) << ' ' << Bit(in.syncIn) << ' ' << Bits(in.din.value_or(0), o.settings.width)
                << '\n';
        }
        if (!out)
            return 2;
    }
    return o.check.empty() ? 0 : Check(o, inputs);
}
