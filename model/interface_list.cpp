#include "model/interface_list.h"

#include <cstdint>

namespace {

// Bus bounds are worked out in 64 bits, so that no width and lsb a caller passes can overflow.
std::string Range(int64_t width, int64_t lsb)
{
    return "[" + std::to_string(width + lsb - 1) + ".." + std::to_string(lsb) + "]";
}

} // namespace

bool InterfaceList::Add(const InterfaceEntry& entry)
{
    entries_.push_back(entry);
    return true;
}

const InterfaceEntry* InterfaceList::Find(const std::string& key) const
{
    for (const InterfaceEntry& entry : entries_) {
        if (entry.name == key)
            return &entry;
    }
    return nullptr;
}

bool InterfaceList::AddNumber(const std::string& name, int value, const std::string& instanceBase, int index)
{
    InterfaceEntry entry;
    entry.name = name;
    entry.type = "NUMERIC";
    entry.value = std::to_string(value);
    entry.instance = FormatName(instanceBase, index);
    return Add(entry);
}

bool InterfaceList::AddString(const std::string& name, const std::string& value, const std::string& instanceBase,
                              int index)
{
    InterfaceEntry entry;
    entry.name = name;
    entry.type = "STRING";
    entry.value = value;
    entry.instance = FormatName(instanceBase, index);
    return Add(entry);
}

bool InterfaceList::AddPort(const std::string& name, int width, const std::string& defaultValue, int direction, int lsb,
                            int width2, int lsb2)
{
    InterfaceEntry entry;
    entry.name = name;
    entry.type = direction == 0 ? "INPUT" : direction == 1 ? "OUTPUT" : "BIDIR";
    entry.width2 = std::to_string(width2);
    entry.lsb2 = std::to_string(lsb2);
    entry.width = std::to_string(width);
    entry.lsb = std::to_string(lsb);
    entry.value = defaultValue;
    // A single signal is named plainly; a bus carries its index range, the outer dimension first.
    if (width == 0)
        entry.busName = name;
    else if (width2 == 0)
        entry.busName = name + Range(width, lsb);
    else
        entry.busName = name + Range(width2, lsb2) + Range(width, lsb);
    return Add(entry);
}

bool InterfaceList::AddConnection(const std::string& target, const std::string& source, const std::string& width,
                                  int lsb)
{
    InterfaceEntry entry;
    entry.targetName = target;
    entry.targetWidth2 = "0";
    entry.targetLsb2 = "0";
    entry.targetWidth = width;
    entry.targetLsb = std::to_string(lsb);
    entry.name = source;
    entry.width2 = "0";
    entry.lsb2 = "0";
    entry.lsb = std::to_string(lsb);
    // A source that is a literal value rather than a node has no width of its own.
    const bool literal = source.empty() || source.find_first_of("-0123456789") == 0;
    entry.width = literal ? "0" : width;
    return Add(entry);
}

bool InterfaceList::AddBusConnection(const PortRef& target, const PortRef& source)
{
    InterfaceEntry entry;
    entry.targetName = target.name;
    entry.targetWidth2 = std::to_string(target.width2);
    entry.targetLsb2 = std::to_string(target.lsb2);
    entry.targetWidth = std::to_string(target.width);
    entry.targetLsb = std::to_string(target.lsb);
    entry.name = source.name;
    entry.width2 = std::to_string(source.width2);
    entry.lsb2 = std::to_string(source.lsb2);
    entry.width = std::to_string(source.width);
    entry.lsb = std::to_string(source.lsb);
    return Add(entry);
}
