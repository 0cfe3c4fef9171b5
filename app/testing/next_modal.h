#pragma once
// For widget tests: a look at the modal window a call brings up.

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTimer>
#include <functional>

namespace windowtest {

// Runs `open` (which shows a modal window) and hands the modal window to `inspect` once it is
// up; the window is then closed (rejected).
inline void withNextModal(const std::function<void()>& open, const std::function<void(QWidget*)>& inspect) {
    bool seen = false;
    QTimer::singleShot(0, [&] {
        QPointer<QWidget> modal = QApplication::activeModalWidget();
        seen = true;
        inspect(modal);
        if (auto* dialog = qobject_cast<QDialog*>(modal.data())) dialog->reject();
    });
    open();
    if (!seen) inspect(nullptr);
}

}  // namespace windowtest
