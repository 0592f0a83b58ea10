#include "host/report/CellText.h"

#include "common/ReportDate.h"
#include "host/report/DataSet.h"

#include <QCoreApplication>
#include <QDate>
#include <QDateTime>

#include <cstdint>
#include <string>

namespace NFastReport {

namespace {

// T is read as Wide, a type that QLocale writes.
template <class T, class Wide>
bool integerText(const boost::any& cell, const QLocale& locale, QString* text)
{
    if (const T* value = boost::any_cast<T>(&cell)) {
        *text = locale.toString(static_cast<Wide>(*value));
        return true;
    }
    return false;
}

} // namespace

QString CellText(const boost::any& cell, const QLocale& locale, bool* known)
{
    if (known)
        *known = true;
    if (cell.empty())
        return QString();
    if (const SColoredCell* keyed = boost::any_cast<SColoredCell>(&cell))
        return CellText(keyed->value, locale, known);

    if (const std::string* text = boost::any_cast<std::string>(&cell))
        return QString::fromLocal8Bit(text->data(), static_cast<int>(text->size()));
    if (const char* const* text = boost::any_cast<const char*>(&cell))
        return *text ? QString::fromLocal8Bit(*text) : QString();
    if (const QString* text = boost::any_cast<QString>(&cell))
        return *text;
    // Group separators read as decimal points in other languages ("1.234" is 1234 in
    // German, not one and a bit): numbers are written without them.
    QLocale notation = locale;
    if (!locale.numberOptions().testFlag(QLocale::OmitGroupSeparator))
        notation.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    if (const double* number = boost::any_cast<double>(&cell))
        return notation.toString(*number, 'f', 2);
    if (const float* number = boost::any_cast<float>(&cell))
        return notation.toString(double(*number), 'f', 2);
    if (const bool* flag = boost::any_cast<bool>(&cell))
        return *flag ? QCoreApplication::translate("QObject", "yes") : QCoreApplication::translate("QObject", "no");
    if (const QDate* date = boost::any_cast<QDate>(&cell))
        return NCommon::ReportDateText(*date);
    if (const QDateTime* moment = boost::any_cast<QDateTime>(&cell))
        return moment->toString(NCommon::ReportDateFormat() + QStringLiteral(" hh:mm"));

    QString text;
    if (integerText<int, qlonglong>(cell, notation, &text) || integerText<unsigned int, qulonglong>(cell, notation, &text)
        || integerText<long, qlonglong>(cell, notation, &text)
        || integerText<unsigned long, qulonglong>(cell, notation, &text)
        || integerText<long long, qlonglong>(cell, notation, &text)
        || integerText<unsigned long long, qulonglong>(cell, notation, &text)
        || integerText<short, qlonglong>(cell, notation, &text)
        || integerText<unsigned short, qulonglong>(cell, notation, &text))
        return text;
    if (const char* character = boost::any_cast<char>(&cell))
        return QString(QLatin1Char(*character));

    if (known)
        *known = false;
    return QStringLiteral("[?]");
}

QString CellText(const boost::any& cell, bool* known)
{
    return CellText(cell, QLocale::c(), known);
}

int LongestUnbrokenRun(const QString& text)
{
    int longest = 0;
    int run = 0;
    for (const QChar c : text) {
        run = c.isSpace() ? 0 : run + 1;
        longest = qMax(longest, run);
    }
    return longest;
}

} // namespace NFastReport
