#include "app/Dialogs.h"

#include "app/AboutBox.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QProgressDialog>

namespace orvanta {

void QtDialogs::message(const QString& text, const QString& caption, Icon icon) {
    // Messages break lines with a carriage return, as the boxes of the platform the texts were
    // written for do; a label here breaks only at a line feed.
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QMessageBox box(icon == Icon::Error     ? QMessageBox::Critical
                    : icon == Icon::Warning ? QMessageBox::Warning
                                            : QMessageBox::Information,
                    caption, shown, QMessageBox::Ok, owner_);
    box.exec();
}

bool QtDialogs::question(const QString& text, const QString& caption) {
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No,
                    owner_);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

QString QtDialogs::openFile(const QString& caption, const QStringList& filters) {
    return QFileDialog::getOpenFileName(owner_, caption, QString(), filters.join(";;"));
}

QString QtDialogs::saveFile(const QString& caption, const QStringList& filters) {
    return QFileDialog::getSaveFileName(owner_, caption, QString(), filters.join(";;"));
}

bool QtDialogs::printerSetup(QPrinter& printer) {
    QPageSetupDialog dialog(&printer, owner_);
    return dialog.exec() == QDialog::Accepted;
}

namespace {

class ProgressWaitBox : public WaitBox {
  public:
    ProgressWaitBox(const QString& text, const QString& caption, QWidget* owner)
        : dialog_(text, QStringLiteral("中止"), 0, 0, owner) {
        dialog_.setWindowTitle(caption);
        dialog_.setWindowModality(Qt::ApplicationModal);
        dialog_.setMinimumDuration(0);
        dialog_.setAutoClose(false);
        dialog_.setAutoReset(false);
        dialog_.show();
    }
    // Closing the box stops the wait as its button does.
    bool stopRequested() const override { return dialog_.wasCanceled(); }

  private:
    QProgressDialog dialog_;
};

} // namespace

std::unique_ptr<WaitBox> QtDialogs::showWait(const QString& text, const QString& caption) {
    return std::make_unique<ProgressWaitBox>(text, caption, owner_);
}

void QtDialogs::about() {
    AboutBox box(owner_);
    box.exec();
}

} // namespace orvanta
