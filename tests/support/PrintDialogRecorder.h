#pragma once

#include <functional>
#include <optional>

#include <QFont>
#include <QStringList>

#include "PrintDialogs.h"

// Makes every print, page setup or font dialog outside a recorder's life fail the test instead
// of blocking it.
void InstallPrintDialogGuard();

// Answers the print, page setup and font dialogs while it lives, with the actions given (each
// may change the printer as a user would); a dialog without an action fails the test. Counts
// each dialog it saw.
class PrintDialogRecorder {
public:
    PrintDialogRecorder();
    ~PrintDialogRecorder();
    PrintDialogRecorder(const PrintDialogRecorder&) = delete;
    PrintDialogRecorder& operator=(const PrintDialogRecorder&) = delete;

    std::function<bool(QPrinter&)> print;
    std::function<bool(QPrinter&)> pageSetup;
    std::function<std::optional<QFont>(const QFont&)> font;

    // "print", "pageSetup", "font" for each dialog shown, in order.
    const QStringList& Seen() const { return seen_; }

private:
    QStringList seen_;
};
