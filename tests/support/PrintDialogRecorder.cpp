#include "PrintDialogRecorder.h"

#include <gtest/gtest.h>

void InstallPrintDialogGuard() {
    platform::PrintDialogHandlers guard;
    guard.print = [](QPrinter&) {
        ADD_FAILURE() << "Print dialog with no recorder";
        return false;
    };
    guard.pageSetup = [](QPrinter&) {
        ADD_FAILURE() << "Page setup dialog with no recorder";
        return false;
    };
    guard.font = [](const QFont&) {
        ADD_FAILURE() << "Font dialog with no recorder";
        return std::optional<QFont>();
    };
    platform::SetPrintDialogHandlers(guard);
}

PrintDialogRecorder::PrintDialogRecorder() {
    platform::PrintDialogHandlers handlers;
    handlers.print = [this](QPrinter& printer) {
        seen_ << QStringLiteral("print");
        if (!print) {
            ADD_FAILURE() << "Unexpected print dialog";
            return false;
        }
        return print(printer);
    };
    handlers.pageSetup = [this](QPrinter& printer) {
        seen_ << QStringLiteral("pageSetup");
        if (!pageSetup) {
            ADD_FAILURE() << "Unexpected page setup dialog";
            return false;
        }
        return pageSetup(printer);
    };
    handlers.font = [this](const QFont& initial) {
        seen_ << QStringLiteral("font");
        if (!font) {
            ADD_FAILURE() << "Unexpected font dialog";
            return std::optional<QFont>();
        }
        return font(initial);
    };
    platform::SetPrintDialogHandlers(handlers);
}

PrintDialogRecorder::~PrintDialogRecorder() {
    InstallPrintDialogGuard();
}
