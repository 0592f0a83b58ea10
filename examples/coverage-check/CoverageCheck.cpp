// A coverage check: reads the selected sample's depth file (chromosome, position and
// read depth per line, tab-separated) and reports the regions read fewer than 20 times.
#include <extension/BaseExtension.h>
#include <extension/ExtensionFactory.h>
#include <extension/report/ReportDataSet.h>

#include <QFile>
#include <QTextStream>

class CCoverageExtension : public NTarsel::NExtension::CBaseExtension
{
public:
    CCoverageExtension()
        : CBaseExtension(QStringLiteral("Coverage"), QStringLiteral("coverage-variables.xml"), QStringLiteral("report.html"))
    {
        // No reference database, but one entry: templates are listed once one is loaded.
        m_dbMap[QStringLiteral("targets")] = std::make_pair(1u, true);
        m_memoColors[QStringLiteral("low")] = QColor(0xfb, 0xee, 0xa0);
        m_memoColors[QStringLiteral("none")] = QColor(0xf4, 0xa7, 0xa3);
    }
    QString GetInfo() const override { return QObject::tr("Coverage check: regions read fewer than 20 times"); }
    QString GetVersion() const override { return QStringLiteral("Coverage 1.0"); }

protected:
    bool interpretateResults() override
    {
        m_regions.clear();
        QFile file(selectedSampleDataPath());
        if (file.fileName().isEmpty())
            return refuse(QStringLiteral("no sample with a depth file is selected"));
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
            return refuse(QStringLiteral("cannot read the depth file '%1'").arg(file.fileName()));
        QTextStream in(&file);
        int line = 0;
        for (; !in.atEnd(); ++line) {
            const QStringList fields = in.readLine().split(QLatin1Char('\t'));
            bool position = false, read = false;
            const qint64 at = fields.value(1).toLongLong(&position);
            const int depth = fields.value(2).toInt(&read);
            if (fields.size() != 3 || !position || !read || depth < 0)
                return refuse(QStringLiteral("%1, line %2: not chromosome, position, depth").arg(file.fileName()).arg(line + 1));
            if (depth >= c_nMinDepth)
                continue;
            if (m_regions.empty() || m_regions.back().chrom != fields[0] || m_regions.back().end + 1 != at)
                m_regions.push_back({fields[0], at, at, depth, 0});
            SRegion& region = m_regions.back();
            region.end = at, region.lowest = std::min(region.lowest, depth), region.sum += depth;
        }
        // An empty file shows no gap only because it shows nothing.
        if (line == 0)
            return refuse(QStringLiteral("the depth file '%1' holds no depths").arg(file.fileName()));
        m_variables[QStringLiteral("SampleName")] = selectedSampleName();
        m_variables[QStringLiteral("Positions")] = QString::number(line);
        return true;
    }

    std::list<boost::shared_ptr<NFastReport::IDataSet> > getDataSets() override
    {
        std::vector<std::string> columns;
        for (const char* name : {QT_TRANSLATE_NOOP("QObject", "Region"), QT_TRANSLATE_NOOP("QObject", "Length"),
                                 QT_TRANSLATE_NOOP("QObject", "Lowest depth"), QT_TRANSLATE_NOOP("QObject", "Mean depth"),
                                 QT_TRANSLATE_NOOP("QObject", "Status")})
            columns.push_back(reportText(name).toLocal8Bit().toStdString());
        const auto table = NTarsel::NExtension::MakeReportDataSet("Regions", columns);
        for (const SRegion& region : m_regions) {
            const qint64 length = region.end - region.start + 1;
            const char* status = region.lowest == 0 ? QT_TRANSLATE_NOOP("QObject", "not covered")
                                                    : QT_TRANSLATE_NOOP("QObject", "below 20x");
            table->push_back({QStringLiteral("%1:%2-%3").arg(region.chrom).arg(region.start).arg(region.end), length,
                              region.lowest, region.sum / double(length),
                              NFastReport::SColoredCell{reportText(status), region.lowest == 0 ? "none" : "low"}});
        }
        return {table};
    }

private:
    struct SRegion { QString chrom; qint64 start, end; int lowest; double sum; };
    static const int c_nMinDepth = 20;
    bool refuse(const QString& why) { m_regions.clear(); logError(QStringLiteral("Coverage: ") + why); return false; }
    std::vector<SRegion> m_regions;
};

class CCoverageFactory : public NTarsel::NExtension::CExtensionFactoryOf<CCoverageExtension>
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID TARSEL_EXTENSION_FACTORY_IID FILE "coverage.json")
    Q_INTERFACES(NTarsel::NExtension::IExtensionFactory)
};

#include "CoverageCheck.moc"
