#pragma once

#include "model/interface_entry.h"

#include <string>
#include <vector>

// An ordered list of entries that owns copies of what is added. Names need not be unique.
class InterfaceList {
public:
    // Appends a copy. Always true.
    bool Add(const InterfaceEntry& entry);
    // The first entry whose name equals key (byte for byte), or nullptr.
    const InterfaceEntry* Find(const std::string& key) const;

    bool AddNumber(const std::string& name, int value, const std::string& instanceBase, int index);
    bool AddString(const std::string& name, const std::string& value, const std::string& instanceBase, int index);
    // direction 0 "INPUT", 1 "OUTPUT", anything else "BIDIR".
    bool AddPort(const std::string& name, int width, const std::string& defaultValue, int direction, int lsb,
                 int width2, int lsb2);
    bool AddConnection(const std::string& target, const std::string& source, const std::string& width, int lsb);
    bool AddBusConnection(const PortRef& target, const PortRef& source);

    void Clear() { entries_.clear(); }
    bool empty() const { return entries_.empty(); }
    size_t size() const { return entries_.size(); }
    const std::vector<InterfaceEntry>& entries() const { return entries_; }
    const InterfaceEntry& operator[](size_t i) const { return entries_[i]; }

private:
    std::vector<InterfaceEntry> entries_;
};
