// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QPointer>
#include <QQueue>
#include <QStringList>
#include <QTimer>
#include <QVector>

#include <functional>

// Answers the program's modal boxes (message boxes, file choosers, input
// boxes, and its own dialogs when asked to) the way a user would: as soon as
// a modal widget shows, it records what it shows and gives the next queued
// answer. A box that nobody expected is recorded and rejected, so no test can
// hang on one.
class ModalAnswerer : public QObject {
    Q_OBJECT

public:
    struct Box {
        QString title;
        QString text;
        QStringList buttons;
        QString pressed; // empty when the box was rejected
    };

    ModalAnswerer();

    // Queues an answer: press the button with this text ('&' ignored).
    ModalAnswerer& press(const QString& buttonText);
    // Queues a custom answer for a modal widget that is not a message box.
    ModalAnswerer& handle(std::function<void(QWidget*)> answer);
    // Queues an answer for one of the program's own dialogs, named by its
    // object name (FormAttribute, FormMove); other dialogs a test runs itself
    // are left alone.
    ModalAnswerer& handleDialog(const QString& objectName, std::function<void(QWidget*)> answer);

    // Answers for file choosers and input boxes, to pass to handle().
    // A chooser gets the path typed into its name field, then OK.
    static std::function<void(QWidget*)> choosePath(const QString& path);
    // An input box gets `text`, then OK.
    static std::function<void(QWidget*)> typeText(const QString& text);

    const QVector<Box>& boxes() const { return seen; }
    int unexpected() const { return unexpectedCount; }
    // Spins the event loop until `count` boxes were seen or `ms` passed.
    bool waitFor(int count, int ms = 5000);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Answer {
        QString dialog; // empty: a message box, file chooser or input box
        std::function<void(QWidget*)> give;
    };
    void poll();

    QTimer timer;
    QQueue<Answer> answers;
    QVector<Box> seen;
    QPointer<QWidget> lastAnswered;
    int unexpectedCount = 0;
};
