#include "app/AboutBox.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace orvanta {

namespace {

// A text the window shows, in the window's language: the Japanese source text, or its
// translation (app/translations) when the window speaks another language.
QString Tr(const char* text) {
    return QCoreApplication::translate("AboutBox", text);
}

} // namespace

QIcon ProgramIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/%1x%1/orvanta.png").arg(size), QSize(size, size));
    return icon;
}

AboutBox::AboutBox(QWidget* parent) : QDialog(parent) {
    setWindowTitle(Tr("バージョン情報"));
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
