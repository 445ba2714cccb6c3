// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/modalanswerer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>

namespace {

QString plain(QString text) {
    return text.remove(QLatin1Char('&'));
}

} // namespace

ModalAnswerer::ModalAnswerer() {
    // A box is answered from the turn of the event loop after it shows; the
    // timer only backs that up.
    qApp->installEventFilter(this);
    connect(&timer, &QTimer::timeout, this, &ModalAnswerer::poll);
    timer.start(50);
}

bool ModalAnswerer::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Show && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->isWindow())
        QTimer::singleShot(0, this, &ModalAnswerer::poll);
    return QObject::eventFilter(watched, event);
}

ModalAnswerer& ModalAnswerer::press(const QString& buttonText) {
    return handle([this, buttonText](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (!box)
            return;
        for (QAbstractButton* button : box->buttons()) {
            if (plain(button->text()) == plain(buttonText)) {
                seen.last().pressed = plain(button->text());
                button->click();
                return;
            }
        }
        box->reject();
    });
}

ModalAnswerer& ModalAnswerer::handle(std::function<void(QWidget*)> answer) {
    answers.enqueue({QString(), std::move(answer)});
    return *this;
}

ModalAnswerer& ModalAnswerer::handleDialog(const QString& objectName, std::function<void(QWidget*)> answer) {
    answers.enqueue({objectName, std::move(answer)});
    return *this;
}

void ModalAnswerer::poll() {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || modal == lastAnswered || !modal->isVisible())
        return;
    // The boxes the program asks with, and its own dialogs only when an
    // answer names them: a dialog a test runs itself with exec() is the
    // test's own business.
    const bool standard = qobject_cast<QMessageBox*>(modal) || qobject_cast<QFileDialog*>(modal) ||
                          qobject_cast<QInputDialog*>(modal);
    const bool named = !answers.isEmpty() && !answers.head().dialog.isEmpty() &&
                       answers.head().dialog == modal->objectName();
    if (!standard && !named)
        return;
    lastAnswered = modal;
    Box box;
    box.title = modal->windowTitle();
    if (auto* message = qobject_cast<QMessageBox*>(modal)) {
        box.text = message->text();
        for (QAbstractButton* button : message->buttons())
            box.buttons << plain(button->text());
    }
    seen.append(box);
    // A standard box where one of the program's dialogs was expected is
    // unexpected too.
    if (answers.isEmpty() || (standard && !answers.head().dialog.isEmpty())) {
        ++unexpectedCount;
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
        else
            modal->close();
        return;
    }
    answers.dequeue().give(modal);
}

bool ModalAnswerer::waitFor(int count, int ms) {
    QElapsedTimer elapsed;
    elapsed.start();
    while (seen.size() < count && elapsed.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return seen.size() >= count;
}

std::function<void(QWidget*)> ModalAnswerer::choosePath(const QString& path) {
    return [path](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        auto* name = dialog ? dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")) : nullptr;
        if (!name) {
            modal->close();
            return;
        }
        name->setText(path);
        static_cast<QDialog*>(dialog)->done(QDialog::Accepted);
    };
}

std::function<void(QWidget*)> ModalAnswerer::typeText(const QString& text) {
    return [text](QWidget* modal) {
        if (auto* input = qobject_cast<QInputDialog*>(modal)) {
            input->setTextValue(text);
            input->accept();
        } else {
            modal->close();
        }
    };
}
