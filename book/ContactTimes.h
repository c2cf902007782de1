#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "DateTime.h"

// A contact's DtTm read quickly: the stored form by hand (ten million contacts through the
// locale's parser would take seconds), any other form as ParseDateTime reads it.

// The day as a Julian day number; nothing when it does not read.
std::optional<int64_t> ContactDay(std::string_view dtTm);
// The date and time; invalid when it does not read.
DateTime ReadContactTime(std::string_view dtTm);
