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
    // The folder of the host's translation files (tarsel_<language>.qm), from which
    // the base library writes report texts in a report's language whatever the
    // language of the user interface; empty (none) until the host sets it.
    static QString translationsLocation();
    static void setTranslationsLocation(const QString& path);
};

} // namespace NTarsel
