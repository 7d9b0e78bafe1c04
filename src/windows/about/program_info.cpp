#include "program_info.h"

#include <QStringList>

#ifndef PELTRO_VERSION
#error "PELTRO_VERSION is set by the build"
#endif

namespace peltro::program {

QString version()
{
    return QStringLiteral(PELTRO_VERSION);
}

VersionNumbers versionNumbers()
{
    const QStringList parts = version().split(QLatin1Char('.'));
    auto part = [&parts](int i) { return i < parts.size() ? parts.at(i).toInt() : 0; };
    return {part(0), part(1), part(2)};
}

QString title()
{
    return QStringLiteral("PELTRO Panel");
}

QString company()
{
    return QStringLiteral("the PELTRO Panel project");
}

QString trademark()
{
    return QStringLiteral("PELTRO Panel is made by");
}

QString rights()
{
    return QStringLiteral("Copyright (C) the PELTRO Panel project. All rights reserved.");
}

} // namespace peltro::program
