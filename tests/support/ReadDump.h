// A text picture of a drawing as read, before normalisation: every record of every table with
// every field, for comparing two reads of one file exactly.
#pragma once

#include "model/AcadDxfUnit.h"

#include <string>

namespace orvanta::test {

// One line per record, table by table in table order, then the drawing's own values. Numbers
// are written with 17 significant digits, which tells every two doubles apart; names by text.
std::string DumpRead(const Drawing& drawing);

} // namespace orvanta::test
