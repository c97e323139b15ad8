#include "state/ToolTable.h"

const ToolRow* toolNamed(const QString& name)
{
    for (const ToolRow& row : toolTable)
        if (name == QLatin1String(row.name))
            return &row;
    return nullptr;
}

QString toolName(Tool tool)
{
    return QString::fromLatin1(toolRow(tool).name);
}

QStringList iconNames(const std::array<const char*, 3>& names)
{
    QStringList out;
    for (const char* name : names)
        if (name)
            out << QString::fromLatin1(name);
    return out;
}
