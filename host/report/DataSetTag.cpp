#include "host/report/DataSetTag.h"

#include <QStringList>

namespace NFastReport {

namespace {

const QLatin1String c_sAnchorPrefix("tarsel-dataset-");

} // namespace

QString SDataSetTag::Placeholder() const
{
    QString name = c_sAnchorPrefix + QString::fromLatin1(dataSet.toUtf8().toHex());
    if (!colorBy.isEmpty())
        name += QLatin1Char('-') + QString::fromLatin1(colorBy.toUtf8().toHex());
    return QStringLiteral("<a name=\"%1\">#</a>").arg(name);
}

bool SDataSetTag::FromAnchorName(const QString& anchorName, SDataSetTag* tag)
{
    if (!anchorName.startsWith(c_sAnchorPrefix, Qt::CaseInsensitive))
        return false;
    const QStringList parts = anchorName.mid(c_sAnchorPrefix.size()).split(QLatin1Char('-'));
    if (parts.isEmpty() || parts.size() > 2 || parts.front().isEmpty())
        return false;
    tag->dataSet = QString::fromUtf8(QByteArray::fromHex(parts.front().toLatin1()));
    tag->colorBy = parts.size() == 2 ? QString::fromUtf8(QByteArray::fromHex(parts.back().toLatin1())) : QString();
    return true;
}

} // namespace NFastReport
