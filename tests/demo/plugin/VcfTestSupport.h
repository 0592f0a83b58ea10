#pragma once

#include "common/LocalText.h"
#include "tests/support/HostFiles.h"

#include <QDirIterator>
#include <QString>

#include <string>

// What the demo's tests share: the shipped data and VCF files of their own.

inline QString shipped(const QString& name = QString())
{
    return QDir(QStringLiteral(TARSEL_DEMO_DATA_DIR)).filePath(name);
}

// Copies the files under from, in their folders, to the folder to.
inline bool copyTree(const QString& from, const QString& to)
{
    QDirIterator it(from, QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        if (!NHostTest::WriteFile(to + source.mid(from.size()), NHostTest::ReadFile(source)))
            return false;
    }
    return true;
}

// The sample column of the files the tests write: the name of the project's sample.
const char* const c_sColumn = "DR2612-01";

// The shipped VCF header (contigs, fields) followed by a #CHROM line of the columns.
inline QByteArray vcfText(const QByteArray& records, const QByteArray& extraHeader = QByteArray(),
                          const QByteArray& columns = c_sColumn)
{
    QByteArray text;
    for (const QByteArray& line : NHostTest::ReadFile(shipped(QStringLiteral("project/samples/DR2612-01.vcf"))).split('\n')) {
        if (line.startsWith("##"))
            text += line + '\n';
    }
    return text + extraHeader + "#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO\tFORMAT\t" + columns + '\n' + records;
}
