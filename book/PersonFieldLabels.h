#pragma once

#include <QString>

// A person's field as the dialogs that compare two persons name it ("First Name", "Cel Phone");
// empty for a number that is no field.
QString PersonFieldLabel(int field);
