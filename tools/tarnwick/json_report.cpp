#include "tools/tarnwick/json_report.h"

#include "host/wizard_app.h"
#include "interleaver/interleaver_settings.h"
#include "interleaver/settings_mapping.h"
#include "model/interface_model.h"
#include "platform/regular_file.h"

#include <nlohmann/json.hpp>

#include <sstream>

using Json = nlohmann::ordered_json;

namespace {

// The settings stored in the retrieval information at path, by name, and the figures derived from
// them by the wizard's own code; null when the file cannot be read.
Json StoredSettings(const std::string& path, Json& derived)
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
    return settings;
}

} // namespace

std::string RunReportJson(const RunSummary& run, const std::function<bool(const std::string&)>& exists)
{
    Json report;
    report["exitStatus"] = HostExitStatus(run.waitStatus);
    report["outcome"] = OutcomeText(run.waitStatus);
    report["design"] = run.design;
    Json pageExits = Json::array();
    for (const auto& [x, y] : run.pageExits)
        pageExits.push_back(Json::array({x, y}));
    report["pageExits"] = pageExits;
    Json files = Json::array();
    for (const RunFile& file : run.files) {
        Json entry{{"path", file.path}, {"exists", exists(file.path)}};
        if (file.attempted) {
            entry["made"] = file.made;
            if (!file.made)
                entry["reason"] = file.reason;
        }
        files.push_back(entry);
    }
    report["files"] = files;
    Json derived;
    Json settings;
    for (const RunFile& file : run.files) {
        if (file.path.size() >= 4 && file.path.compare(file.path.size() - 4, 4, ".cnx") == 0)
            settings = StoredSettings(file.path, derived);
    }
    if (!settings.is_null()) {
        report["settings"] = settings;
        report["derived"] = derived;
    }
    // Paths are bytes; one that is not valid UTF-8 is written with the replacement character.
    return report.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}
