#pragma once

#include "extension/FhirBundle.h"

#include <QString>
#include <QStringList>

// How the reports of a run are released: their status, the structured result beside
// them, the archive form, the earlier report an amended one replaces, and the files
// besides the project's that the provenance names.
struct SReportRelease
{
    NTarsel::NExtension::CFhirBundle::EStatus status = NTarsel::NExtension::CFhirBundle::StatusFinal;
    // Write the structured result beside each PDF.
    bool fhir = false;
    // Write PDF/A-3b with the structured result inside and the provenance in its metadata.
    bool archive = false;
    // The earlier report's PDF that this one amends, its identifier, the sample it is
    // of (empty when it does not say) and this report's version; none, empty, 1.
    QString amends;
    QString replaces;
    QString amendedSample;
    int version = 1;
    // Input files of the run that the session does not know of: the sample sheet, the
    // earlier report.
    QStringList inputs;

    // Reads what the earlier report at path says of itself: its identifier and
    // version from the structured result inside it; a PDF without one is known by its
    // SHA-256 and counts as version 1. False with error when path cannot be read or is
    // no PDF. The file is only read.
    bool readAmended(const QString& path, QString* error);
};

// The structured result's file beside a PDF: the PDF's path with ".json" for its suffix.
QString FhirPathBeside(const QString& pdfPath);
