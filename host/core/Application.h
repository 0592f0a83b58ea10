#pragma once

#include "host/core/CoreExport.h"

#include <QApplication>
#include <QString>

namespace NTarsel {

// The host application. Its static part, the common data location (the root of
// shared data such as report templates), works without an instance, so plug-ins
// and tests can use it under any QCoreApplication.
class TARSEL_CORE_EXPORT CApplication : public QApplication
{
    Q_OBJECT

public:
    CApplication(int& argc, char** argv);
    ~CApplication() override;

    // The folder set by setCommonDataLocation, or else "tarsel" below the user's
    // generic data location (which Qt's test mode redirects).
    static QString commonDataLocation();
    // An empty path returns to the default.
    static void setCommonDataLocation(const QString& path);
};

} // namespace NTarsel
