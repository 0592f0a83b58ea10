#include "host/report/CellText.h"

#include "common/ReportDate.h"

#include <QCoreApplication>
#include <QDate>
#include <QDateTime>

#include <cstdint>
#include <string>

namespace NFastReport {

namespace {

template <class T>
bool integerText(const boost::any& cell, QString* text)
{
    if (const T* value = boost::any_cast<T>(&cell)) {
        *text = QString::number(*value);
        return true;
    }
    return false;
}

} // namespace

QString CellText(const boost::any& cell, bool* known)
{
    if (known)
        *known = true;
    if (cell.empty())
        return QString();

    if (const std::string* text = boost::any_cast<std::string>(&cell))
        return QString::fromLocal8Bit(text->data(), static_cast<int>(text->size()));
    if (const char* const* text = boost::any_cast<const char*>(&cell))
        return *text ? QString::fromLocal8Bit(*text) : QString();
    if (const QString* text = boost::any_cast<QString>(&cell))
        return *text;
    if (const double* number = boost::any_cast<double>(&cell))
        return QString::number(*number, 'f', 2);
    if (const float* number = boost::any_cast<float>(&cell))
        return QString::number(double(*number), 'f', 2);
    if (const bool* flag = boost::any_cast<bool>(&cell))
        return *flag ? QCoreApplication::translate("QObject", "yes") : QCoreApplication::translate("QObject", "no");
    if (const QDate* date = boost::any_cast<QDate>(&cell))
        return NCommon::ReportDateText(*date);
    if (const QDateTime* moment = boost::any_cast<QDateTime>(&cell))
        return moment->toString(NCommon::ReportDateFormat() + QStringLiteral(" hh:mm"));

    QString text;
    if (integerText<int>(cell, &text) || integerText<unsigned int>(cell, &text) || integerText<long>(cell, &text)
        || integerText<unsigned long>(cell, &text) || integerText<long long>(cell, &text)
        || integerText<unsigned long long>(cell, &text) || integerText<short>(cell, &text)
        || integerText<unsigned short>(cell, &text))
        return text;
    if (const char* character = boost::any_cast<char>(&cell))
        return QString(QLatin1Char(*character));

    if (known)
        *known = false;
    return QStringLiteral("[?]");
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
