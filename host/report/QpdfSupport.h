#pragma once

#include "common/Guarded.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>

#include <climits>
#include <memory>
#include <stdexcept>
#include <string>

namespace NFastReport {

// What the PDF code shares in its use of qpdf. Internal to the report viewer.

inline QByteArray bytes(const std::shared_ptr<Buffer>& buffer)
{
    if (buffer->getSize() > size_t(INT_MAX))
        throw std::length_error("the PDF is larger than 2 GiB");
    return QByteArray(reinterpret_cast<const char*>(buffer->getBuffer()), int(buffer->getSize()));
}

// Our input comes from QPdfWriter: one that needs repair is a fault to report, not
// to paper over; qpdf's warnings would only go to stderr.
inline void openPdf(QPDF* qpdf, const QByteArray& pdf)
{
    qpdf->setSuppressWarnings(true);
    qpdf->setAttemptRecovery(false);
    qpdf->processMemoryFile("PDF", pdf.constData(), size_t(pdf.size()));
}

// Runs work, which uses qpdf; what it throws comes back in error (when given) as the
// %1 of failure. Returns whether work finished.
template <class Work>
bool RunQpdf(const QString& failure, QString* error, Work&& work)
{
    return NCommon::RunGuarded(work, [&](const char* what) {
        if (error)
            *error = failure.arg(what ? QString::fromLocal8Bit(what) : QObject::tr("unknown error"));
    });
}

} // namespace NFastReport
