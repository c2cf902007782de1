#pragma once

#include <vector>

#include <QString>

#include "Converter.h"
#include "MessageBox.h"

class QWidget;

// platform::ShowMessage with the normal cursor while the box is up, for boxes shown while a
// conversion holds the wait cursor.
platform::MessageResult ShowConvertMessage(QWidget* owner, const QString& text,
                                           const QString& caption, platform::MessageIcon icon);

// Shows a conversion's messages one after the other, in their order; the boxes the conversion
// gives to a window belong to window.
void ShowConvertMessages(QWidget* window, const std::vector<ConvertMessage>& messages);
