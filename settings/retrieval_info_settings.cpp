#include "settings/retrieval_info_settings.h"

#include "model/interface_model.h"
#include "settings/settings_mapping.h"

#include <sstream>

bool SettingsOfRetrievalInfo(const std::string& retrievalInfo, InterleaverSettings& settings)
{
    std::istringstream in(retrievalInfo);
    InterfaceModel model;
    if (!model.ReadPrivates(in, PrivateSettingNames()))
        return false;
    LoadSettingsFromModel(settings, model);
    return true;
}

std::string RetrievalInfoOfSettings(const InterleaverSettings& settings)
{
    InterfaceModel model;
    AddInterleaverEntries(settings, model);
    std::ostringstream text;
    model.Write(text);
    return text.str();
}
