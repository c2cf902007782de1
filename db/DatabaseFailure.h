#pragma once

#include "MessageBox.h"
#include "SQLException.h"

// The one way a failed database operation is shown: its message under the operation's caption.
void ShowDatabaseFailure(QWidget* owner, const cppsqlite3::SQLException& failure,
                         const char* caption, platform::MessageIcon icon);
