// A point or a vector of a drawing, in the coordinates of whatever holds it.
#pragma once

namespace orvanta {

struct TAcadPoint {
    double x = 0;
    double y = 0;
    double z = 0;
};

} // namespace orvanta
