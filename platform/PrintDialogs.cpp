#include "PrintDialogs.h"

#include <QFontDialog>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>

#include <utility>

namespace platform {

namespace {

PrintDialogHandlers& Handlers() {
    static PrintDialogHandlers handlers;
    return handlers;
}

}  // namespace

bool AskPrint(QWidget* owner, QPrinter& printer) {
    if (Handlers().print) {
        return Handlers().print(printer);
    }
    QPrintDialog dialog(&printer, owner);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    dialog.setOption(QAbstractPrintDialog::PrintCollateCopies, true);
    return dialog.exec() == QDialog::Accepted;
}

bool AskPageSetup(QWidget* owner, QPrinter& printer) {
    if (Handlers().pageSetup) {
        return Handlers().pageSetup(printer);
    }
    QPageSetupDialog dialog(&printer, owner);
    return dialog.exec() == QDialog::Accepted;
}

std::optional<QFont> AskFont(QWidget* owner, const QFont& initial) {
    if (Handlers().font) {
        return Handlers().font(initial);
    }
    bool ok = false;
    const QFont chosen =
        QFontDialog::getFont(&ok, initial, owner, QString(), QFontDialog::ScalableFonts);
    if (!ok) {
        return std::nullopt;
    }
    return chosen;
}

void SetPrintDialogHandlers(PrintDialogHandlers handlers) {
    Handlers() = std::move(handlers);
}

}  // namespace platform
