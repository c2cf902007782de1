#pragma once

#include <QString>

#include "MessageBox.h"

class QWidget;

// platform::ShowMessage with the normal cursor while the box is up, for boxes shown in the middle
// of a conversion that runs under the wait cursor.
platform::MessageResult ShowConvertMessage(QWidget* owner, const QString& text,
                                           const QString& caption, platform::MessageIcon icon);
