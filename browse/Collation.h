// The order in which the window lists names: the platform's collation, without regard to case.
#pragma once

#include <QString>

#include <cstddef>
#include <vector>

namespace orvanta {

// The positions of `texts` in sorted order; equal texts keep their order. With `numeric`, runs
// of digits compare by their value ("2" before "10"), as folder names are shown.
std::vector<std::size_t> CollationOrder(const std::vector<QString>& texts, bool numeric = false);

} // namespace orvanta
