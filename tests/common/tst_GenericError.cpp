#include "common/GenericError.h"

#include <QtTest>

#include <cstring>
#include <stdexcept>

namespace {

enum ETestCode
{
    TestCodeOne = 1,
    TestCodeTwo = 2
};

typedef NCommon::XGenericError<std::exception, ETestCode> XTestError;

} // namespace

class TestGenericError : public QObject
{
    Q_OBJECT

private slots:
    void carriesMessageAndCode();
    void copiesTheMessageItWasGiven();
    void caughtAsItsBase();
};

void TestGenericError::carriesMessageAndCode()
{
    const XTestError error("table broken", TestCodeTwo);
    QCOMPARE(QString::fromLatin1(error.what()), QStringLiteral("table broken"));
    QCOMPARE(error.code(), TestCodeTwo);

    const XTestError empty(nullptr, TestCodeOne);
    QCOMPARE(QString::fromLatin1(empty.what()), QString());
}

void TestGenericError::copiesTheMessageItWasGiven()
{
    char buffer[] = "first text";
    XTestError error(buffer, TestCodeOne);
    std::strcpy(buffer, "other text");
    QCOMPARE(QString::fromLatin1(error.what()), QStringLiteral("first text"));

    XTestError copy(error);
    error = XTestError("second text", TestCodeTwo);
    QCOMPARE(QString::fromLatin1(copy.what()), QStringLiteral("first text"));
    QCOMPARE(copy.code(), TestCodeOne);
    QCOMPARE(QString::fromLatin1(error.what()), QStringLiteral("second text"));
}

void TestGenericError::caughtAsItsBase()
{
    try {
        throw XTestError("as std::exception", TestCodeOne);
    } catch (const std::exception& error) {
        QCOMPARE(QString::fromLatin1(error.what()), QStringLiteral("as std::exception"));
    }
}

QTEST_APPLESS_MAIN(TestGenericError)
#include "tst_GenericError.moc"
