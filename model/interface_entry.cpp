#include "model/interface_entry.h"

std::string FormatName(const std::string& base, int index)
{
    if (index < 0)
        return base;
    // At least two digits, zero-padded: instance 7 of "ram" is "ram07".
    std::string digits = std::to_string(index);
    if (digits.size() < 2)
        digits.insert(0, 1, '0');
    return base + digits;
}
