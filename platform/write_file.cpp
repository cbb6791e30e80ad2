#include "platform/write_file.h"

#include "platform/printable_text.h"

#include <fstream>

bool WriteFile(const std::string& path, const std::string& text, std::string& error)
{
    std::ofstream out(path, std::ios::binary);
    out << text;
    out.close();
    if (out)
        return true;
    error = "cannot write " + PrintableText(path);
    return false;
}
