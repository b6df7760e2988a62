#include "app/AboutBox.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace orvanta {

namespace {

QPixmap IconPixmap(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size / 32.0;
    // A sheet of drawing paper on a black board with a green line drawing.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(20, 20, 20));
    p.drawRoundedRect(QRectF(1 * s, 1 * s, 30 * s, 30 * s), 4 * s, 4 * s);
    QPen pen(QColor(0, 200, 90), 2 * s);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(6 * s, 8 * s, 20 * s, 16 * s));
    p.drawEllipse(QPointF(16 * s, 16 * s), 5 * s, 5 * s);
    p.setPen(QPen(QColor(240, 240, 240), 1.5 * s));
    p.drawLine(QPointF(4 * s, 27 * s), QPointF(28 * s, 5 * s));
    return pixmap;
}

} // namespace

QIcon ProgramIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 64})
        icon.addPixmap(IconPixmap(size));
    return icon;
}

AboutBox::AboutBox(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("バージョン情報"));
    auto* iconLabel = new QLabel;
    iconLabel->setPixmap(ProgramIcon().pixmap(48, 48));
    auto* lines = new QLabel(QStringLiteral("Orvanta2017.exe (for AutoCAD 2014-2017)\n"
                                            "Ver. 2016.9.30b"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* top = new QHBoxLayout;
    top->addWidget(iconLabel, 0, Qt::AlignTop);
    top->addSpacing(12);
    top->addWidget(lines, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

} // namespace orvanta
