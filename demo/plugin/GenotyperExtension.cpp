#include "demo/plugin/GenotyperExtension.h"

CGenotyperExtension::CGenotyperExtension()
    : CBaseExtension(QStringLiteral("Genotyper"), QStringLiteral("genotyper-variables.xml"),
                     QStringLiteral("report.html"))
{
}

CGenotyperExtension::~CGenotyperExtension() = default;

QString CGenotyperExtension::GetInfo() const
{
    return QObject::tr("Genotyper: known variants of a reference panel");
}

QString CGenotyperExtension::GetVersion() const
{
    return QObject::tr("Genotyper 0.1");
}
