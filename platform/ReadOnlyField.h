#pragma once

class QLineEdit;
class QPlainTextEdit;

namespace platform {

// A field that shows a value the user cannot change there looks like text on the form, not like
// an edit box: no edit frame, the window's background and text from the palette (a dark or
// high-contrast palette too, and again whenever it changes). A click still puts the cursor in it
// to select and copy; Tab passes it by unless inTabChain.
void ShowAsReadOnly(QLineEdit* field);
void ShowAsReadOnly(QPlainTextEdit* field, bool inTabChain = false);

}  // namespace platform
