#include "DatabaseFailure.h"

#include "LocalText.h"

void ShowDatabaseFailure(QWidget* owner, const cppsqlite3::SQLException& failure,
                         const char* caption, platform::MessageIcon icon) {
    platform::ShowMessage(owner, platform::FromLocal8Bit(failure.Message()),
                          QString::fromLatin1(caption), icon);
}
