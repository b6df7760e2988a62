// The interface font of every test program that starts a Qt application. Widget sizes follow the
// interface font, and a system's default font is whatever its font configuration prefers (DejaVu
// Sans on one machine, Nimbus Sans on another): the tests name the faces the set-up installs, so
// that a window measures the same everywhere.
#pragma once

#include <QFont>
#include <QGuiApplication>
#include <QString>

namespace orvanta::test {

// DejaVu Sans for Latin text, IPAGothic for Japanese, at the size Qt's generic platform theme
// gives its system font.
inline void UseTestFonts() {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setFamilies({QStringLiteral("DejaVu Sans"), QStringLiteral("IPAGothic")});
    font.setPointSize(9);
    QGuiApplication::setFont(font);
}

} // namespace orvanta::test
