#include "render/LocalGeometryCopy.h"

#include <cmath>
#include <numbers>

namespace orvanta::local_geometry {

TAcadPoint PolarPoint(const TAcadPoint& p, double angle, double length) {
    constexpr double pi = std::numbers::pi;
    if (angle == 0) return {p.x + length, p.y, p.z};
    if (angle == pi / 2) return {p.x, p.y + length, p.z};
    if (angle == pi) return {p.x - length, p.y, p.z};
    if (angle == 3 * pi / 2) return {p.x, p.y - length, p.z};
    return {p.x + std::cos(angle) * length, p.y + std::sin(angle) * length, p.z};
}

double AngleOf(const TAcadPoint& from, const TAcadPoint& to) {
    constexpr double pi = std::numbers::pi;
    const double dx = to.x - from.x;
    const double dy = to.y - from.y;
    if (dx == 0 && dy == 0) return 0;
    if (std::fabs(dx) < 1e-5) return to.y > from.y ? pi / 2 : 3 * pi / 2;
    if (std::fabs(dy) < 1e-5) return to.x > from.x ? 0 : pi;
    const double a = std::fabs(std::atan(dy / dx));
    if (dx >= 0 && dy >= 0) return a;
    if (dx < 0 && dy >= 0) return pi - a;
    if (dx >= 0) return 2 * pi - a;
    return pi + a;
}

TAcadPoint RotatePoint(const TAcadPoint& p, double angle) {
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    return {p.x * c - p.y * s, p.x * s + p.y * c, p.z};
}

int SplitMTextLines(const std::string& text, std::vector<std::string>& lines) {
    lines.clear();
    std::size_t start = 0;
    for (std::size_t found = text.find("\\P"); found != std::string::npos;
         found = text.find("\\P", start)) {
        lines.push_back(text.substr(start, found - start));
        start = found + 2;
    }
    lines.push_back(text.substr(start));
    return static_cast<int>(lines.size());
}

} // namespace orvanta::local_geometry
