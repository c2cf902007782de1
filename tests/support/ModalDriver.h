#pragma once

#include <deque>
#include <functional>

#include <QPointer>
#include <QStringList>
#include <QTimer>

class QDialog;

// Works the modal dialogs a command opens, while it lives: each dialog that comes up takes the
// next queued action and is cancelled afterwards if the action left it open, so a failing test
// cannot hang. A dialog that nobody expected is cancelled and fails the test; so does an
// expected dialog that never came.
class ModalDriver {
public:
    using Action = std::function<void(QDialog&)>;

    ModalDriver();
    ~ModalDriver();
    ModalDriver(const ModalDriver&) = delete;
    ModalDriver& operator=(const ModalDriver&) = delete;

    void Expect(Action action);
    // The captions of the dialogs seen so far, in order.
    const QStringList& Captions() const { return captions_; }

private:
    void Poll();

    std::deque<Action> actions_;
    QStringList captions_;
    QPointer<QDialog> current_;
    QTimer timer_;
};
