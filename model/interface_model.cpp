#include "model/interface_model.h"

#include "model/decimal.h"

void InterfaceModel::Attach(const std::string* moduleList, const SymbolLineWriter* const* symbol)
{
    moduleList_ = moduleList;
    symbol_ = symbol;
}

void InterfaceModel::Clear()
{
    parameters.Clear();
    constants.Clear();
    privates.Clear();
    ports.Clear();
    connections.Clear();
}

bool InterfaceModel::AddPrivate(const std::string& name, int value)
{
    return privates.AddNumber(name, value, "", -1);
}

int InterfaceModel::GetPrivate(const std::string& name, int defaultValue) const
{
    const InterfaceEntry* entry = privates.Find(name);
    if (!entry)
        return defaultValue;
    // A stored value without leading digits counts as 0, not as missing.
    return ParseDecimal(entry->value);
}

std::string EscapeValue(const std::string& value)
{
    std::string escaped;
    escaped.reserve(value.size());
    for (const char c : value) {
        if (c == '\t')
            escaped += "\\t";
        else if (c == '\n')
            escaped += "\\n";
        else if (c == '\\')
            escaped += '/';
        else
            escaped += c;
    }
    return escaped;
}

std::string UnescapeValue(const std::string& value)
{
    std::string plain;
    plain.reserve(value.size());
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            plain += value[i];
            continue;
        }
        const char next = value[i + 1];
        if (next == '\\')
            plain += '\\';
        else if (next == 'n')
            plain += '\n';
        else if (next == 't')
            plain += '\t';
        else {
            // An unknown escape is kept as written, backslash included.
            plain += '\\';
            plain += next;
        }
        ++i;
    }
    return plain;
}
