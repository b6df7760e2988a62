// The version box of the "ヘルプ" menu, and the program's icon.
#pragma once

#include <QDialog>
#include <QIcon>

namespace orvanta {

// The program icon, drawn rather than loaded so that it needs no resource file.
QIcon ProgramIcon();

class AboutBox : public QDialog {
    Q_OBJECT
  public:
    explicit AboutBox(QWidget* parent = nullptr);
};

} // namespace orvanta
