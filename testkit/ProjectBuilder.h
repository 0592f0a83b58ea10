#pragma once

#include "testkit/TestKitExport.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>

#include <boost/shared_ptr.hpp>

namespace NDna {
class CProject;
}

namespace NTarsel {
namespace NTestKit {

// Builds the projects a plug-in test analyses: named samples with their data
// files (VCF or any other), the selection, the report variables kept with the
// project and its analysis flags. Data given as contents is written below a
// folder the caller owns. build() makes a project in memory; save() also writes
// it as a project file, the way the host would store it.
//
//   auto project = CProjectBuilder("Run 7", dir.path())
//                      .sampleWithData("S1", "s1.vcf", vcf)
//                      .sample("S2", "/data/s2.vcf")
//                      .selected(1)
//                      .build();
class TARSEL_TESTKIT_EXPORT CProjectBuilder
{
public:
    // folder holds the files of sampleWithData and of save() with a relative name.
    explicit CProjectBuilder(const QString& name = QStringLiteral("Test project"), const QString& folder = QString());

    // A sample whose results are in dataPath (absolute, or relative to the folder).
    CProjectBuilder& sample(const QString& name, const QString& dataPath = QString());
    // A sample whose results file fileName, below the folder, holds contents.
    CProjectBuilder& sampleWithData(const QString& name, const QString& fileName, const QByteArray& contents);
    // The selected sample; by default the first one, if there is any.
    CProjectBuilder& selected(int index);
    CProjectBuilder& variable(const QString& name, const QString& value);
    CProjectBuilder& blocksAnalysis(bool blocks);
    CProjectBuilder& allowsAnalysis(bool allows);

    // The project, or null when a data file could not be written (see error()).
    boost::shared_ptr<NDna::CProject> build();
    // Builds the project and writes it to file (relative to the folder); the
    // project's path is then that file. Null on failure, with the reason in error().
    boost::shared_ptr<NDna::CProject> save(const QString& file);
    // What went wrong in the last build or save; empty after success.
    QString error() const { return m_sError; }

    // A small VCF (4.2) of one sample: one record per "chrom:pos:ref:alt[:genotype]"
    // entry, genotype 0/1 unless given.
    static QByteArray vcf(const QString& sampleName, const QStringList& records);

private:
    QString absolute(const QString& path) const;

    struct SSample
    {
        QString name;
        QString dataPath;
        QByteArray contents;
        bool write = false;
    };

    QString m_sName;
    QString m_sFolder;
    QList<SSample> m_samples;
    int m_nSelected = -1;
    QMap<QString, QString> m_variables;
    bool m_bBlocks = false;
    bool m_bAllows = true;
    QString m_sError;
};

} // namespace NTestKit
} // namespace NTarsel
