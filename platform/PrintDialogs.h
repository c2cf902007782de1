#pragma once

#include <functional>
#include <optional>

#include <QFont>

class QPrinter;
class QWidget;

namespace platform {

// The print, page setup and font dialogs of the program go through here, so tests can answer
// them. The print and page setup dialogs work on the printer given and change it only on OK.

// "Print" (whole document only: no page range, no selection). True on OK.
bool AskPrint(QWidget* owner, QPrinter& printer);
// Page setup: paper, orientation and margins. True on OK.
bool AskPageSetup(QWidget* owner, QPrinter& printer);
// The report font: scalable fonts only. Nothing when cancelled.
std::optional<QFont> AskFont(QWidget* owner, const QFont& initial);

// Replace the real dialogs, for tests; empty handlers restore them. The print and page setup
// handlers may change the printer as a user would and return whether they pressed OK.
struct PrintDialogHandlers {
    std::function<bool(QPrinter&)> print;
    std::function<bool(QPrinter&)> pageSetup;
    std::function<std::optional<QFont>(const QFont&)> font;
};
void SetPrintDialogHandlers(PrintDialogHandlers handlers);

}  // namespace platform
