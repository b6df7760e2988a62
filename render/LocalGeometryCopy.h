// Private copies of four geometry helpers that text placement needs: PolarPoint, AngleOf,
// RotatePoint and SplitMTextLines. Their home is the geometry module (geometry/), which was
// written at the same time as this one; once both are in one tree, these copies are to be
// deleted and their callers pointed at the geometry module's versions. They live in their own
// namespace so that the two never collide at link time.
#pragma once

#include "model/AcadDxfUnit.h"

#include <string>
#include <vector>

namespace orvanta::local_geometry {

// The point at `length` from p in direction `angle` (radians); the four axis directions are
// exact. z is p's.
TAcadPoint PolarPoint(const TAcadPoint& p, double angle, double length);

// Direction from `from` to `to` in [0, 2pi); differences below 1e-5 count as axis-parallel.
double AngleOf(const TAcadPoint& from, const TAcadPoint& to);

// p rotated counterclockwise about the origin; z is kept.
TAcadPoint RotatePoint(const TAcadPoint& p, double angle);

// Splits MTEXT at its paragraph breaks "\P" (upper-case P only) into `lines`; returns the
// number of lines, at least 1.
int SplitMTextLines(const std::string& text, std::vector<std::string>& lines);

} // namespace orvanta::local_geometry
