#include "tarnwick/json_report.h"

#include "model/interface_model.h"
#include "platform/path_split.h"
#include "platform/regular_file.h"
#include "settings/interleaver_settings.h"
#include "settings/settings_mapping.h"
#include "tarnwick/core_memory.h"

#include <nlohmann/json.hpp>

#include <filesystem>
#include <sstream>
#include <sys/wait.h>

using Json = nlohmann::ordered_json;

namespace {

// The settings stored in the retrieval information at path, by name, the figures derived from them
// by the wizard's own code and the core's memory on device (null when they make no core); null
// when the file cannot be read.
Json StoredSettings(const std::string& path, const std::string& device, Json& derived, Json& core)
{
    std::string contents;
    if (!ReadRegularFile(path, kMaxRetrievalInfoSize, contents))
        return nullptr;
    std::istringstream in(std::move(contents));
    InterfaceModel model;
    if (!model.ReadPrivates(in, PrivateSettingNames()))
        return nullptr;
    Json settings = Json::object();
    for (const std::string& name : PrivateSettingNames()) {
        if (model.privates.Find(name) != nullptr)
            settings[name] = model.GetPrivate(name, 0);
    }
    InterleaverSettings restored;
    LoadSettingsFromModel(restored, model);
    derived = Json{
        {"addressWidth", restored.addressWidth()},   {"memoryWords", restored.memoryWords()},
        {"latencyCycles", restored.latencyCycles()}, {"codewordsSpread", restored.codewordsSpread()},
        {"checkSymbols", restored.checkSymbols()},   {"vectorEndTime", restored.vectorEndTime()},
    };
    CoreMemory memory;
    if (CoreMemoryOfRetrievalInfo(path, device, memory))
        core = Json{
            {"module", memory.module},
            {"memory", memory.external ? "external" : "internal"},
            {"ramWords", memory.ramWords},
            {"wordBits", memory.wordBits},
            {"device", memory.device},
            {"ramBlocks", memory.ramBlocks},
            {"ramBlocksAvailable", memory.ramBlocksAvailable},
        };
    return settings;
}

Json SimulationJson(const SimulationOutcome& outcome)
{
    const auto cycle = [](const std::optional<std::int64_t>& value) { return value ? Json(*value) : Json(nullptr); };
    Json simulation{
        {"simulator", outcome.simulator},
        {"cycles", outcome.cycles},
        {"symbolsIn", outcome.symbolsIn},
        {"symbolsOut", outcome.symbolsOut},
        {"firstInputCycle", cycle(outcome.firstInputCycle)},
        {"firstOutputCycle", cycle(outcome.firstOutputCycle)},
        {"checkedValues", outcome.checkedValues},
        {"mismatches", outcome.mismatches},
    };
    if (outcome.firstMismatch) {
        const SimulationMismatch& m = *outcome.firstMismatch;
        simulation["firstMismatch"] =
            Json{{"cycle", m.cycle}, {"port", m.port}, {"expected", m.expected}, {"got", m.got}};
    }
    if (!outcome.vcdPath.empty()) {
        simulation["vcd"] = outcome.vcdPath;
        simulation["vcdBytes"] = outcome.vcdBytes;
    }
    if (!outcome.testbenchFiles.empty())
        simulation["testbench"] = outcome.testbenchFiles;
    if (outcome.pair) {
        const PairOutcome& pair = *outcome.pair;
        simulation["pair"] = Json{
            {"simulator", pair.simulator},
            {"cycles", pair.cycles},
            {"measuredLatencyCycles", cycle(pair.measuredLatency)},
            {"expectedLatencyCycles", pair.expectedLatency},
            {"pageLatencyCycles", pair.pageLatency},
            {"symbolsChecked", pair.symbolsChecked},
            {"mismatches", pair.mismatches},
        };
    }
    return simulation;
}

// The synthesis's figures; those a core that does not fit has none of are null.
Json SynthesisJson(const SynthesisOutcome& outcome)
{
    const auto figure = [&](auto value) { return outcome.fits ? Json(value) : Json(nullptr); };
    Json synthesis{
        {"module", outcome.module},
        {"device", outcome.device},
        {"package", outcome.package},
        {"targetMHz", outcome.targetMHz},
        {"seed", outcome.seed},
        {"fits", outcome.fits},
        {"luts", figure(outcome.luts)},
        {"flipFlops", figure(outcome.flipFlops)},
        {"ramBlocks", outcome.ramBlocks},
        {"ramBlocksAvailable", outcome.ramBlocksAvailable},
        {"fmaxMHz", figure(outcome.fmaxMHz)},
        {"timingMet", figure(outcome.timingMet)},
    };
    if (!outcome.logPath.empty())
        synthesis["log"] = outcome.logPath;
    return synthesis;
}

} // namespace

std::string OutcomeKeyword(const RunSummary& run)
{
    if (run.refused)
        return "refused";
    if (run.simulateOnly)
        return run.error.empty() ? "simulated" : "failed";
    if (!run.error.empty() || !run.waitStatus || !WIFEXITED(*run.waitStatus))
        return "failed";
    switch (WEXITSTATUS(*run.waitStatus)) {
    case 0:
        return "finished";
    case 1:
        return "start-up-failed";
    case 2:
        return "cancelled";
    case 3:
        return "back";
    default:
        return "failed";
    }
}

std::string RunReportJson(const RunSummary& run, const std::function<bool(const std::string&)>& exists)
{
    Json report;
    report["schemaVersion"] = kRunReportSchemaVersion;
    report["exitStatus"] = run.exitStatus;
    report["outcome"] = OutcomeKeyword(run);
    report["outcomeText"] = run.refused ? std::string("refused: nothing was started or changed")
        : !run.error.empty()            ? std::string("failed: tarnwick could not complete the run")
        : run.simulateOnly              ? std::string("simulated: the design's outputs match the reference model")
        : run.waitStatus                ? OutcomeText(*run.waitStatus)
                                        : std::string("failed");
    if (!run.error.empty())
        report["error"] = run.error;
    report["design"] = run.design;
    Json pageExits = Json::array();
    for (const auto& [x, y] : run.pageExits)
        pageExits.push_back(Json::array({x, y}));
    report["pageExits"] = pageExits;
    Json files = Json::array();
    for (const RunFile& file : run.files) {
        Json entry{{"path", AbsolutePath(file.path)}, {"exists", exists(file.path)}};
        if (file.attempted) {
            entry["made"] = file.made;
            if (!file.made)
                entry["reason"] = file.reason;
        }
        files.push_back(entry);
    }
    report["files"] = files;
    report["changed"] = run.changed;
    if (!run.inconsistencies.empty())
        report["inconsistencies"] = run.inconsistencies;
    Json derived;
    Json settings;
    Json core;
    for (const RunFile& file : run.files) {
        if (file.role == FileRole::RetrievalInfo)
            settings = StoredSettings(file.path, run.target.device, derived, core);
    }
    if (!settings.is_null()) {
        report["settings"] = settings;
        report["derived"] = derived;
    }
    if (!core.is_null())
        report["core"] = core;
    if (run.simulation)
        report["simulation"] = SimulationJson(*run.simulation);
    // A run that failed installed none of the testbench's files.
    if (run.simulation && !run.error.empty())
        report["simulation"].erase("testbench");
    if (run.synthesis)
        report["synthesis"] = SynthesisJson(*run.synthesis);
    // Paths are bytes; one that is not valid UTF-8 is written with the replacement character.
    return report.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}
