#include "model/interface_model.h"

#include <string_view>

namespace {

void WriteModuleLine(std::ostream& out, std::string_view module, std::string_view instance)
{
    out << "MODULE: " << module << ' ' << instance << '\n';
}

// One MODULE line per item "module@instance|" of the module list. A last item without its "|" and
// an item without "@" (module name alone) are written too, so that no module list can stall the
// writer or read past its end.
void WriteModuleLines(std::ostream& out, std::string_view moduleList)
{
    if (moduleList.find('@') == std::string_view::npos) {
        out << "MODULE: " << moduleList << '\n';
        return;
    }
    while (!moduleList.empty()) {
        const size_t bar = moduleList.find('|');
        const std::string_view item = moduleList.substr(0, bar);
        moduleList.remove_prefix(bar == std::string_view::npos ? moduleList.size() : bar + 1);
        const size_t at = item.find('@');
        if (at == std::string_view::npos)
            WriteModuleLine(out, item, {});
        else
            WriteModuleLine(out, item.substr(0, at), item.substr(at + 1));
    }
}

// Each section is closed by one empty line, and an empty section writes nothing at all.
template <typename WriteEntry> void WriteSection(std::ostream& out, const InterfaceList& list, WriteEntry writeEntry)
{
    for (const InterfaceEntry& entry : list.entries()) {
        writeEntry(entry);
        out << '\n';
    }
    if (!list.empty())
        out << '\n';
}

} // namespace

bool InterfaceModel::Write(std::ostream& out) const
{
    out << "GENERATION: STANDARD\n";
    out << "VERSION: WM1.0\n";
    WriteModuleLines(out, moduleList_ ? std::string_view(*moduleList_) : std::string_view());
    out << '\n';

    // Private values are the wizard's own and are written as they are; the values the host reads
    // are escaped.
    WriteSection(out, privates, [&out](const InterfaceEntry& e) {
        out << "PRIVATE: " << e.name << ' ' << e.type << " \"" << e.value << '"';
    });
    WriteSection(out, constants, [&out](const InterfaceEntry& e) {
        out << "CONSTANT: " << e.name << ' ' << e.type << " \"" << EscapeValue(e.value) << "\" " << e.instance;
    });
    WriteSection(out, parameters, [&out](const InterfaceEntry& e) {
        out << "PARAMETER: " << e.name << ' ' << e.type << " \"" << EscapeValue(e.value) << '"';
    });
    WriteSection(out, ports, [&out](const InterfaceEntry& e) {
        out << "USED_PORT: " << e.name << ' ' << e.width2 << ' ' << e.lsb2 << ' ' << e.width << ' ' << e.lsb << ' '
            << e.type << ' ' << e.value << ' ' << e.busName << ' ' << e.instance;
    });
    WriteSection(out, connections, [&out](const InterfaceEntry& e) {
        out << "CONNECT: " << e.targetName << ' ' << e.targetWidth2 << ' ' << e.targetLsb2 << ' ' << e.targetWidth
            << ' ' << e.targetLsb << ' ' << e.name << ' ' << e.width2 << ' ' << e.lsb2 << ' ' << e.width << ' '
            << e.lsb;
    });

    if (symbol_ && *symbol_)
        (*symbol_)->WriteSymbolLines(out);
    return true;
}
