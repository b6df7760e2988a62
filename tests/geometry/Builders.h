// Small builders for the records the geometry tests put into a Drawing.
#pragma once

#include "model/AcadDxfUnit.h"
#include "tests/support/TestNames.h"

#include <gtest/gtest.h>

#include <string>

namespace orvanta::test {

inline TAcadPoint P(double x, double y, double z = 0) {
    return {x, y, z};
}

inline TBlockBlk Block(const std::string& name, TAcadPoint base = {}) {
    TBlockBlk b;
    b.name = name;
    b.base = base;
    return b;
}

inline TAcadLineBlk Line(TAcadPoint st, TAcadPoint ed, const std::string& bname = "",
                         const std::string& layer = "0", std::int16_t color = 7) {
    TAcadLineBlk l;
    l.bname = N(bname);
    l.layer = N(layer);
    l.color = color;
    l.st = st;
    l.ed = ed;
    return l;
}

inline TCircleBlk Circle(TAcadPoint center, double radius, const std::string& bname = "") {
    TCircleBlk c;
    c.bname = N(bname);
    c.color = 7;
    c.center = center;
    c.hankei = radius;
    return c;
}

inline TArcBlk Arc(TAcadPoint center, double radius, double st, double ed,
                   const std::string& bname = "") {
    TArcBlk a;
    a.bname = N(bname);
    a.color = 7;
    a.center = center;
    a.hankei = radius;
    a.st = st;
    a.ed = ed;
    return a;
}

inline TInsertBlk Insert(const std::string& name, TAcadPoint base, TAcadPoint scale = {1, 1, 1},
                         double rotate = 0, const std::string& bname = "") {
    TInsertBlk i;
    i.bname = N(bname);
    i.name = N(name);
    i.base = base;
    i.scale = scale;
    i.rotate = rotate;
    return i;
}

inline TTextBlk Text(TAcadPoint pt10, double height, const std::string& str,
                     const std::string& bname = "") {
    TTextBlk t;
    t.bname = N(bname);
    t.layer = N("0");
    t.color = 7;
    t.pt10 = pt10;
    t.code40 = height;
    t.str = str;
    return t;
}

#define EXPECT_POINT_NEAR(actual, ex, ey, tol)                                                     \
    do {                                                                                           \
        const ::orvanta::TAcadPoint p_ = (actual);                                                 \
        EXPECT_NEAR(p_.x, (ex), (tol));                                                            \
        EXPECT_NEAR(p_.y, (ey), (tol));                                                            \
    } while (0)

} // namespace orvanta::test
