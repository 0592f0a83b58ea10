#include "testkit/ProjectBuilder.h"

#include "common/LocalText.h"
#include "common/SaveFile.h"
#include "host/dna/Project.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>

#include <boost/make_shared.hpp>

namespace NTarsel {
namespace NTestKit {

CProjectBuilder::CProjectBuilder(const QString& name, const QString& folder)
    : m_sName(name)
    , m_sFolder(folder)
{
}

CProjectBuilder& CProjectBuilder::sample(const QString& name, const QString& dataPath)
{
    m_samples.append({name, dataPath, QByteArray(), false});
    return *this;
}

CProjectBuilder& CProjectBuilder::sampleWithData(const QString& name, const QString& fileName, const QByteArray& contents)
{
    m_samples.append({name, fileName, contents, true});
    return *this;
}

CProjectBuilder& CProjectBuilder::selected(int index)
{
    m_nSelected = index;
    return *this;
}

CProjectBuilder& CProjectBuilder::variable(const QString& name, const QString& value)
{
    m_variables[name] = value;
    return *this;
}

CProjectBuilder& CProjectBuilder::blocksAnalysis(bool blocks)
{
    m_bBlocks = blocks;
    return *this;
}

CProjectBuilder& CProjectBuilder::allowsAnalysis(bool allows)
{
    m_bAllows = allows;
    return *this;
}

QString CProjectBuilder::absolute(const QString& path) const
{
    if (path.isEmpty() || QDir::isAbsolutePath(path) || m_sFolder.isEmpty())
        return path;
    return QDir::cleanPath(QDir(m_sFolder).absoluteFilePath(path));
}

boost::shared_ptr<NDna::CProject> CProjectBuilder::build()
{
    m_sError.clear();
    auto project = boost::make_shared<NDna::CProject>();
    project->SetProjectName(NCommon::ToLocal(m_sName));
    for (const SSample& sample : m_samples) {
        const QString path = absolute(sample.dataPath);
        if (sample.write) {
            if (m_sFolder.isEmpty() || !QDir::isAbsolutePath(path)) {
                m_sError = QStringLiteral("The data of sample %1 needs the builder's folder").arg(sample.name);
                return boost::shared_ptr<NDna::CProject>();
            }
            QDir().mkpath(QFileInfo(path).path());
            QSaveFile file(path);
            QString reason;
            if (!file.open(QIODevice::WriteOnly) || file.write(sample.contents) != sample.contents.size()
                || !NCommon::CommitSaveFile(file, &reason)) {
                m_sError = QStringLiteral("Cannot write the data of sample %1 to %2: %3")
                               .arg(sample.name, path, reason.isEmpty() ? file.errorString() : reason);
                return boost::shared_ptr<NDna::CProject>();
            }
        }
        project->AddSample(NCommon::ToLocal(sample.name), NCommon::ToLocal(path));
    }
    if (m_nSelected >= 0)
        project->SetSelectedSample(m_nSelected);
    else if (!m_samples.isEmpty())
        project->SetSelectedSample(0);
    if (!m_variables.isEmpty()) {
        std::map<std::string, std::string> variables;
        for (auto it = m_variables.cbegin(); it != m_variables.cend(); ++it)
            variables[NCommon::ToLocal(it.key())] = NCommon::ToLocal(it.value());
        project->SetReportVariables(variables);
    }
    if (m_bBlocks)
        project->SetBlocksAnalysis(true);
    if (!m_bAllows)
        project->SetAllowsAnalysis(false);
    return project;
}

boost::shared_ptr<NDna::CProject> CProjectBuilder::save(const QString& file)
{
    boost::shared_ptr<NDna::CProject> project = build();
    if (!project)
        return project;
    const QString path = absolute(file);
    QDir().mkpath(QFileInfo(path).path());
    std::string reason;
    if (!project->SaveAs(NCommon::ToLocal(path), &reason)) {
        m_sError = NCommon::FromLocal(reason);
        return boost::shared_ptr<NDna::CProject>();
    }
    return project;
}

QByteArray CProjectBuilder::vcf(const QString& sampleName, const QStringList& records)
{
    QByteArray text = "##fileformat=VCFv4.2\n"
                      "##FORMAT=<ID=GT,Number=1,Type=String,Description=\"Genotype\">\n"
                      "#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO\tFORMAT\t"
                      + sampleName.toUtf8() + '\n';
    for (const QString& record : records) {
        const QStringList parts = record.split(QLatin1Char(':'));
        const QString genotype = parts.value(4, QStringLiteral("0/1"));
        text += QStringLiteral("%1\t%2\t.\t%3\t%4\t60\tPASS\t.\tGT\t%5\n")
                    .arg(parts.value(0), parts.value(1), parts.value(2), parts.value(3), genotype)
                    .toUtf8();
    }
    return text;
}

} // namespace NTestKit
} // namespace NTarsel
