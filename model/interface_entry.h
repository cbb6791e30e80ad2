#pragma once

#include <string>

// One record of the interface model. Every field is text; numbers are signed decimal text.
// Which fields are meaningful depends on the list that holds the entry.
struct InterfaceEntry {
    std::string name;
    std::string type = "UNDEF";
    std::string width2;
    std::string lsb2 = "0";
    std::string width;
    std::string lsb = "0";
    std::string value;
    std::string busName;
    std::string targetName;
    std::string targetWidth2;
    std::string targetLsb2 = "0";
    std::string targetWidth;
    std::string targetLsb = "0";
    std::string instance;

    bool operator==(const InterfaceEntry&) const = default;
};

// One end of a bus connection.
struct PortRef {
    std::string name;
    int width = 0;
    int lsb = 0;
    int width2 = 0;
    int lsb2 = 0;
};

// The base itself for a negative index, else base followed by the index with at least two digits.
std::string FormatName(const std::string& base, int index);
