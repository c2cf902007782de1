#include "ModalDriver.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>

ModalDriver::ModalDriver() {
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
    timer_.start();
}

ModalDriver::~ModalDriver() {
    timer_.stop();
    EXPECT_TRUE(actions_.empty()) << actions_.size() << " expected dialog(s) never opened";
}

void ModalDriver::Expect(Action action) {
    actions_.push_back(std::move(action));
}

void ModalDriver::Poll() {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!dialog || dialog == current_ || !dialog->isVisible()) {
        return;
    }
    current_ = dialog;
    captions_ << dialog->windowTitle();
    if (actions_.empty()) {
        ADD_FAILURE() << "unexpected dialog \"" << dialog->windowTitle().toStdString() << "\"";
        dialog->reject();
        return;
    }
    Action action = std::move(actions_.front());
    actions_.pop_front();
    // The action may open a dialog of its own; this one stays current meanwhile.
    timer_.stop();
    action(*dialog);
    timer_.start();
    if (current_ && current_->isVisible()) {
        current_->reject();
    }
}
