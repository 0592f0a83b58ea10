#pragma once

#include "extension/BaseExtension.h"

// The demo analysis plug-in: genotypes the samples of a project against the
// known variants of its reference databases.
class CGenotyperExtension : public NTarsel::NExtension::CBaseExtension
{
    Q_OBJECT

public:
    CGenotyperExtension();
    ~CGenotyperExtension() override;

    QString GetInfo() const override;
    QString GetVersion() const override;
};
