// Names for records that tests build outside a drawing: one table for the whole test program,
// so that the names stay valid however the records are copied into drawings.
#pragma once

#include "model/Names.h"

namespace orvanta::test {

inline Name N(std::string_view text) {
    static NameTable names;
    return names.intern(text);
}

} // namespace orvanta::test
