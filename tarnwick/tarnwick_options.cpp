#include "tarnwick/tarnwick_options.h"

#include "platform/printable_text.h"

#include <charconv>
#include <cmath>
#include <limits>

const char* const kTarnwickUsage =
    "usage: tarnwick [options] DESIGN\n"
    "\n"
    "Starts the ZORVEX wizard on DESIGN (a .vhd, .tdf or .v file to create) the way the host\n"
    "design environment does, prints every page change the wizard reports and, when the wizard\n"
    "has ended, what its exit status means and which files are there.\n"
    "\n"
    "options:\n"
    "  -n, --new             a new variation: do not read the design's earlier .cnx file\n"
    "  -silent, --silent     run without pages: write the variation at once\n"
    "  -symbol, --symbol     tell the wizard that the host can make a symbol file\n"
    "  -p N, --pages N       the number of host pages before the wizard's first page (N >= 0)\n"
    "  -x X, --corner-x X    screen x of the lower-right corner of the first page\n"
    "  -y Y, --corner-y Y    screen y of the lower-right corner of the first page\n"
    "  --zorvex PATH         the wizard to start (default: zorvex beside tarnwick, else on PATH)\n"
    "  --set KEY=VALUE       change a setting before the wizard runs: KEY is a name the .cnx\n"
    "                        stores (CHARACTERISTIC_I, SYMBOL_WIDTH, BLOCK, ...) or I, J, W, N, B\n"
    "                        for the five numbers; a flag takes 0 or 1\n"
    "  --algorithm convolutional|block, --direction interleaver|deinterleaver,\n"
    "  --memory internal|external\n"
    "                        set the flags as the pages' choices set them\n"
    "  --json                print one JSON object as the report, and nothing else on stdout\n"
    "  --svg FILE            when the wizard has finished, write the symbol of the design's .cnx\n"
    "                        to FILE as SVG\n"
    "  --no-design-files     do not make the design file and the .cmp from the .cnx\n"
    "  --lock-timeout S      wait up to S seconds (default 60) while another run holds the\n"
    "                        design; then end with status 125, changing nothing\n"
    "  --simulate            when the wizard has finished, simulate the design file it made\n"
    "                        (.vhd with ghdl, .v with iverilog) on the .vec, check every output\n"
    "                        against the reference model of the library core and write the\n"
    "                        design's ports as a waveform to DIR/BASE.vcd\n"
    "  --simulate-only       simulate the design's existing files that way, without the wizard\n"
    "  --simulator NAME      simulate with NAME: ghdl (the default for .vhd), iverilog (the\n"
    "                        default for .v) or verilator (.v only: it first builds a program,\n"
    "                        some 10 s, that runs some 60 times faster than iverilog; worth it\n"
    "                        from about 100000 clock cycles); without it a pair of 200000\n"
    "                        edges or more runs with verilator where it is installed\n"
    "  --testbench           with --simulate or --simulate-only, keep the testbench beside the\n"
    "                        design with the design's other files: BASE_tb.vhd or BASE_tb.v,\n"
    "                        its stimulus, the outputs the reference model expects and\n"
    "                        BASE_sim.sh, which reruns it with the simulator and checks every\n"
    "                        output without tarnwick (exit 0 when all match)\n"
    "  --simulate-timeout S  end a simulator or synthesis step that runs longer than S seconds\n"
    "                        (default 3600) and fail the run with status 125\n"
    "  --synthesize          when the wizard has finished (after --simulate), or with\n"
    "                        --simulate-only, synthesise the design's library core (its Verilog\n"
    "                        source, also for a .vhd design) with the stored core settings for an\n"
    "                        iCE40 with yosys and nextpnr-ice40; report its logic cells,\n"
    "                        flip-flops, RAM blocks, Fmax and whether the target is met, or that it\n"
    "                        does not fit; keep the tools' log as DIR/BASE_synthesis.log\n"
    "  --device NAME[:PKG]   the part to synthesise for, whose RAM blocks the report counts: lp384,\n"
    "                        lp1k, lp4k, lp8k, hx1k, hx4k, hx8k (the default), up3k, up5k, u1k,\n"
    "                        u2k or u4k, optionally with its package (hx8k:ct256); each device has\n"
    "                        a default package\n"
    "  --package PKG         the device's package (ct256, tq144, sg48, ...)\n"
    "  --freq MHZ            the clock rate nextpnr-ice40 is to meet (default 12)\n"
    "  --seed N              the seed of nextpnr-ice40's placer (default 1)\n"
    "  --progress            print where the run is on standard error, a plain line at each\n"
    "                        phase and at least every 10 s, also when it is not a terminal\n"
    "                        (on a terminal tarnwick keeps one line up to date without it)\n"
    "  --help                print this text\n"
    "  --version             print tarnwick's name and version\n"
    "  --                    what follows is the design file, even when it starts with '-'\n"
    "\n"
    "Values may also be attached: -p2, -x640, --pages=2, --zorvex=/opt/bin/zorvex.\n"
    "\n"
    "Changed settings apply on top of the design's stored ones (the defaults with -n), the last\n"
    "one given for a setting winning; the five numbers must lie in the ranges the pages accept.\n"
    "The wizard runs on a copy of the design's files, which replace the design's own only when\n"
    "the wizard has finished: a refused or failed run leaves them as they were.\n"
    "\n"
    "The design's files (.cnx, .vec, the design file, .cmp, the SVG, the waveform and the\n"
    "synthesis log) change together or not at all: every new file is written first, the .cnx\n"
    "replaced last, and a failure puts back what was replaced. One run of a design at a time:\n"
    "a run locks the design's folder from reading its settings to installing its files, with\n"
    "the pages open too.\n"
    "\n"
    "The exit status is the wizard's: 0 finished, 1 start-up failed, 2 cancelled,\n"
    "3 back to the host's pages; 128+N when signal N ended the wizard. tarnwick's own\n"
    "failures have statuses of their own:\n"
    "  125  tarnwick failed: a bad command line or setting, a design name that is no\n"
    "       identifier of both VHDL and Verilog (a letter first, then letters, digits and\n"
    "       single underscores, no reserved word), an argument the wizard cannot\n"
    "       receive (one holding a double quote), the design's stored settings unreadable,\n"
    "       its message socket, its copy of the design's files, or it lost the wizard;\n"
    "       with --simulate or --simulate-only also a simulator not on PATH, a design file\n"
    "       or .vec missing or unreadable, a failed simulation, or outputs that differ from\n"
    "       the reference model; with --synthesize also yosys or nextpnr-ice40 not on PATH\n"
    "       or a failed synthesis (a core that does not fit the device is not one)\n"
    "  126  the wizard was found but could not be started\n"
    "  127  the wizard was not found\n";

const char* const kTarnwickUsageHint = "Try 'tarnwick --help' for more information.\n";

namespace {

enum class Value { None, Count, Coordinate, Path, Setting, Choice, Seconds, Simulator, Part, Freq, Seed };

struct OptionSpec {
    const char* shortName; // the single-dash form, nullptr when there is none
    const char* longName; // the double-dash form without its dashes
    Value value;
};

// The single-dash word forms -silent and -symbol are the wizard's own spellings; the host's users
// know them, so tarnwick accepts them too.
constexpr OptionSpec kOptions[] = {
    {"-n", "new", Value::None},
    {"-silent", "silent", Value::None},
    {"-symbol", "symbol", Value::None},
    {"-p", "pages", Value::Count},
    {"-x", "corner-x", Value::Coordinate},
    {"-y", "corner-y", Value::Coordinate},
    {nullptr, "zorvex", Value::Path},
    {nullptr, "help", Value::None},
    {nullptr, "version", Value::None},
    {nullptr, "set", Value::Setting},
    {nullptr, "algorithm", Value::Choice},
    {nullptr, "direction", Value::Choice},
    {nullptr, "memory", Value::Choice},
    {nullptr, "json", Value::None},
    {nullptr, "no-design-files", Value::None},
    {nullptr, "svg", Value::Path},
    {nullptr, "lock-timeout", Value::Seconds},
    {nullptr, "simulate-timeout", Value::Seconds},
    {nullptr, "simulator", Value::Simulator},
    {nullptr, "simulate", Value::None},
    {nullptr, "simulate-only", Value::None},
    {nullptr, "testbench", Value::None},
    {nullptr, "synthesize", Value::None},
    {nullptr, "progress", Value::None},
    {nullptr, "device", Value::Part},
    {nullptr, "package", Value::Part},
    {nullptr, "freq", Value::Freq},
    {nullptr, "seed", Value::Seed},
};

// The synthesis options given, checked together once every option is read.
struct GivenPart {
    std::string device;
    std::string package;
    bool timing = false; // whether --freq or --seed was given
};

bool ParseInt(const std::string& text, int& value)
{
    const char* const end = text.data() + text.size();
    const auto [last, error] = std::from_chars(text.data(), end, value);
    return error == std::errc() && last == end && !text.empty();
}

// Finds the option that arg names. For a value option written with its value attached (-p2,
// --pages=2) attached receives the value and hasAttached is set.
const OptionSpec* FindOption(const std::string& arg, std::string& attached, bool& hasAttached)
{
    hasAttached = false;
    if (arg.rfind("--", 0) == 0) {
        const size_t equals = arg.find('=');
        const std::string name = arg.substr(2, equals == std::string::npos ? std::string::npos : equals - 2);
        for (const OptionSpec& spec : kOptions) {
            if (name != spec.longName)
                continue;
            if (equals != std::string::npos) {
                attached = arg.substr(equals + 1);
                hasAttached = true;
            }
            return &spec;
        }
        return nullptr;
    }
    for (const OptionSpec& spec : kOptions) {
        if (spec.shortName == nullptr)
            continue;
        if (arg == spec.shortName)
            return &spec;
        // Only the one-letter value options take an attached value: -p2, -x-40.
        const std::string name = spec.shortName;
        if (spec.value != Value::None && arg.size() > name.size() && arg.compare(0, name.size(), name) == 0) {
            attached = arg.substr(name.size());
            hasAttached = true;
            return &spec;
        }
    }
    return nullptr;
}

// Stores the value of --device, --package, --freq or --seed.
bool StoreSynthesisValue(const OptionSpec& spec, const std::string& arg, const std::string& text,
                         TarnwickOptions& options, GivenPart& part, std::string& error)
{
    if (spec.value == Value::Part) {
        if (text.empty()) {
            error = "option " + PrintableText(arg) + " needs a name";
            return false;
        }
        (std::string(spec.longName) == "device" ? part.device : part.package) = text;
        return true;
    }
    if (spec.value == Value::Freq) {
        double mhz = 0;
        const char* const end = text.data() + text.size();
        const auto [last, failed] = std::from_chars(text.data(), end, mhz);
        // A number as nextpnr reads it: digits with an optional fraction, no infinity or NaN.
        if (failed != std::errc() || last != end || !std::isfinite(mhz) || !(mhz > 0) || mhz > kMaxFreqMHz
            || text.find_first_not_of("0123456789.") != std::string::npos) {
            error = "option " + PrintableText(arg) + " needs a clock rate in MHz above 0 and up to 1000, not \""
                + PrintableText(text) + "\"";
            return false;
        }
        options.target.freqMHz = mhz;
        part.timing = true;
        return true;
    }
    int seed = 0;
    if (!ParseInt(text, seed) || seed < 0) {
        error = "option " + PrintableText(arg) + " needs a whole number from 0 to "
            + std::to_string(std::numeric_limits<int>::max()) + ", not \"" + PrintableText(text) + "\"";
        return false;
    }
    options.target.seed = seed;
    part.timing = true;
    return true;
}

bool StoreValue(const OptionSpec& spec, const std::string& arg, const std::string& text, TarnwickOptions& options,
                GivenPart& part, std::string& error)
{
    if (spec.value == Value::Part || spec.value == Value::Freq || spec.value == Value::Seed)
        return StoreSynthesisValue(spec, arg, text, options, part, error);
    if (spec.value == Value::Setting)
        return ParseSetOverride(text, options.overrides, error);
    if (spec.value == Value::Choice)
        return ParseChoiceOverride(spec.longName, text, options.overrides, error);
    if (spec.value == Value::Simulator) {
        if (SimulatorNamed(text, options.simulator))
            return true;
        error =
            "option " + PrintableText(arg) + " needs ghdl, iverilog or verilator, not \"" + PrintableText(text) + "\"";
        return false;
    }
    if (spec.value == Value::Path) {
        if (text.empty()) {
            error = "option " + PrintableText(arg) + " needs a path";
            return false;
        }
        (std::string(spec.longName) == "svg" ? options.svgPath : options.wizardPath) = text;
        return true;
    }
    int number = 0;
    if (!ParseInt(text, number)) {
        error = "option " + PrintableText(arg) + " needs a whole number, not \"" + PrintableText(text) + "\"";
        return false;
    }
    if (spec.value == Value::Count && number < 0) {
        error = "option " + PrintableText(arg) + " needs a number of pages of 0 or more";
        return false;
    }
    if (spec.value == Value::Seconds) {
        const bool simulation = std::string(spec.longName) == "simulate-timeout";
        if (number < (simulation ? 1 : 0) || number > kMaxLockTimeoutSeconds) {
            error = "option " + PrintableText(arg) + " needs a number of seconds from " + (simulation ? "1" : "0")
                + " to " + std::to_string(kMaxLockTimeoutSeconds);
            return false;
        }
        (simulation ? options.simulateTimeoutSeconds : options.lockTimeoutSeconds) = number;
        return true;
    }
    const std::string name = spec.longName;
    if (name == "pages")
        options.pageOffset = number;
    else if (name == "corner-x")
        options.cornerX = number;
    else
        options.cornerY = number;
    return true;
}

bool SetDesign(const std::string& path, TarnwickOptions& options, std::string& error)
{
    if (path.empty()) {
        error = "the design file name is empty";
        return false;
    }
    if (!options.designPath.empty()) {
        error = "more than one design file: " + PrintableText(options.designPath) + " and " + PrintableText(path);
        return false;
    }
    options.designPath = path;
    return true;
}

} // namespace

namespace {

// Sets the option without a value named name (its long form).
void SetFlag(const std::string& name, TarnwickOptions& options, bool& simulateOnly)
{
    if (name == "json")
        options.json = true;
    else if (name == "no-design-files")
        options.designFiles = false;
    else if (name == "simulate")
        options.simulate = TarnwickOptions::Simulate::AfterRun;
    else if (name == "simulate-only")
        simulateOnly = true;
    else if (name == "synthesize")
        options.synthesize = true;
    else if (name == "testbench")
        options.testbench = true;
    else if (name == "progress")
        options.progress = true;
    else if (name == "new")
        options.newFile = true;
    else if (name == "silent")
        options.silent = true;
    else
        options.symbolFile = true;
}

// Whether the options given go together: a design, nothing that --simulate-only, --simulate,
// --simulator, --testbench, --freq or --seed would leave unused, and a part nextpnr knows. False
// with the reason otherwise.
bool CheckCombination(bool simulateOnly, const GivenPart& part, TarnwickOptions& options, std::string& error)
{
    if (options.designPath.empty()) {
        error = "no design file given";
        return false;
    }
    if (simulateOnly) {
        // Nothing runs but the simulation, so an option for the wizard's run would be lost.
        if (options.simulate == TarnwickOptions::Simulate::AfterRun || !options.overrides.empty()
            || !options.svgPath.empty() || !options.designFiles) {
            error = "--simulate-only runs no wizard: it takes none of --simulate, --set, the choice options, "
                    "--svg and --no-design-files";
            return false;
        }
        options.simulate = TarnwickOptions::Simulate::Only;
    }
    if (options.simulate == TarnwickOptions::Simulate::AfterRun && !options.designFiles) {
        error = "--simulate needs the design file that --no-design-files leaves unmade";
        return false;
    }
    if (options.simulator != Simulator::Default && options.simulate == TarnwickOptions::Simulate::No) {
        error = "--simulator chooses the simulator of --simulate or --simulate-only, and neither is given";
        return false;
    }
    if (options.testbench && options.simulate == TarnwickOptions::Simulate::No) {
        error = "--testbench keeps the testbench of --simulate or --simulate-only, and neither is given";
        return false;
    }
    // The part also sizes the report's RAM blocks; the target and the seed only steer nextpnr.
    if (part.timing && !options.synthesize) {
        error = "--freq and --seed choose how --synthesize places and routes the core, and it is not given";
        return false;
    }
    std::string device = part.device.empty() ? std::string(kDefaultIce40Device) : part.device;
    std::string package = part.package;
    if (!ChooseIce40Part(device, package, error))
        return false;
    options.target.device = device;
    options.target.package = package;
    return true;
}

} // namespace

bool ParseTarnwickOptions(const std::vector<std::string>& args, TarnwickOptions& options, std::string& error)
{
    options = TarnwickOptions();
    bool optionsEnded = false;
    bool simulateOnly = false;
    GivenPart part;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            if (!SetDesign(arg, options, error))
                return false;
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        std::string attached;
        bool hasAttached = false;
        const OptionSpec* spec = FindOption(arg, attached, hasAttached);
        if (spec == nullptr) {
            error = "unknown option " + PrintableText(arg);
            return false;
        }
        const std::string name = spec->longName;
        if (spec->value == Value::None) {
            if (hasAttached) {
                error = "option --" + name + " takes no value";
                return false;
            }
            if (name == "help" || name == "version") {
                (name == "help" ? options.help : options.version) = true;
                return true;
            }
            SetFlag(name, options, simulateOnly);
            continue;
        }
        if (!hasAttached) {
            if (i + 1 >= args.size()) {
                error = "option " + PrintableText(arg) + " needs a value";
                return false;
            }
            attached = args[++i];
        }
        if (!StoreValue(*spec, arg, attached, options, part, error))
            return false;
    }
    return CheckCombination(simulateOnly, part, options, error) && CheckOverrideRanges(options.overrides, error);
}
