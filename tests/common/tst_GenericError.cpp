#include "common/GenericError.h"

#include <QtTest>

#include <cstring>
#include <stdexcept>

namespace {
enum ETestCode { TestCodeOne = 1, TestCodeTwo = 2 };
using XTestError = NCommon::XGenericError<std::exception, ETestCode>;
} // namespace

class TestGenericError : public QObject
{
    Q_OBJECT

private slots:
    // The error owns its message: the thrower's buffer may be gone when it is caught.
    void ownsItsMessageAndCode();
};

void TestGenericError::ownsItsMessageAndCode()
{
    char buffer[] = "table broken";
    try {
        XTestError error(buffer, TestCodeTwo);
        std::strcpy(buffer, "other text");
        throw error;
    } catch (const std::exception& caught) {
        QCOMPARE(caught.what(), "table broken");
        QCOMPARE(dynamic_cast<const XTestError&>(caught).code(), TestCodeTwo);
    }
    QCOMPARE(XTestError(nullptr, TestCodeOne).what(), "");
}

QTEST_APPLESS_MAIN(TestGenericError)
#include "tst_GenericError.moc"
