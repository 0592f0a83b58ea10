#pragma once

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTimer>
#include <QtTest>

#include <functional>

namespace NHostTest {

// Runs answer on the next modal dialog once it has the focus, while the caller's
// exec() waits; a dialog that answer leaves open is rejected, so that a failure ends.
inline void WhenModal(const std::function<void(QWidget*)>& answer)
{
    QTimer::singleShot(0, [answer] {
        QTRY_VERIFY(QApplication::activeModalWidget());
        const QPointer<QWidget> modal = QApplication::activeModalWidget();
        QTRY_VERIFY(QApplication::focusWidget() && QApplication::focusWidget()->window() == modal);
        answer(modal);
        if (auto* dialog = qobject_cast<QDialog*>(modal.data()); dialog && dialog->isVisible())
            dialog->reject();
    });
}

} // namespace NHostTest
