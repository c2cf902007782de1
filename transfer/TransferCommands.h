#pragma once

#include <string>
#include <vector>

#include <QString>

#include "PersonRecord.h"

class QWidget;

// File, Export, Persons and Contacts and File, Import, Persons: each runs the transfer wizard
// over the owner and then writes or reads the file, showing what went wrong through the
// message-box seam. They return what the main window must do afterwards.
namespace transfer {

struct CommandOutcome {
    bool reload = false;  // the view is to read the file again
    QString status;       // for the status bar; empty for none
};

// shown: the persons the filtered list shows, offered as the only ones to export; empty when
// the list is not filtered.
CommandOutcome ExportPersonsCommand(QWidget* owner, const std::string& databasePath,
                                    const std::vector<RecordId>& shown = {});
CommandOutcome ExportContactsCommand(QWidget* owner, const std::string& databasePath);
// view: the owner of the count message.
CommandOutcome ImportPersonsCommand(QWidget* owner, QWidget* view, const std::string& databasePath);

// File, Import, vCard: a file dialog, the cards read, a question when some of them are persons
// of the file already, then the count message over view.
CommandOutcome ImportVCardCommand(QWidget* owner, QWidget* view, const std::string& databasePath);
// File, Export, vCard: every person (or, asked first, only those shown) into a .vcf file.
CommandOutcome ExportVCardCommand(QWidget* owner, const std::string& databasePath,
                                  const std::vector<RecordId>& shown = {});

}  // namespace transfer
