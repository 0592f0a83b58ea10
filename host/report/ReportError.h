#pragma once

#include <QDir>
#include <QObject>
#include <QString>

namespace NFastReport {

// Why a report could not be made: the file at fault (if any), the line in it (1 for
// the first line, 0 when unknown) and a sentence for a person.
struct SReportError
{
    QString file;
    int line = 0;
    QString message;

    // "file, line N: message", leaving out what is unknown.
    QString Text() const
    {
        QString place = QDir::toNativeSeparators(file);
        if (line > 0)
            place = QObject::tr("%1, line %2").arg(place).arg(line);
        return place.isEmpty() ? message : QObject::tr("%1: %2").arg(place, message);
    }
};

} // namespace NFastReport
