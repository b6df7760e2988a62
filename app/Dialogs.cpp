#include "app/Dialogs.h"

#include "app/AboutBox.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QProgressDialog>

#include <algorithm>

namespace orvanta {

namespace {

// Messages break lines with a carriage return, as the boxes of the platform the texts were
// written for do; a label here breaks only at a line feed.
QString ShownText(const QString& text) {
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

} // namespace

void QtDialogs::message(const QString& text, const QString& caption, Icon icon) {
    const QString shown = ShownText(text);
    QMessageBox box(icon == Icon::Error     ? QMessageBox::Critical
                    : icon == Icon::Warning ? QMessageBox::Warning
                                            : QMessageBox::Information,
                    caption, shown, QMessageBox::Ok, owner_);
    box.exec();
}

QString QtDialogs::openFile(const QString& caption, const QStringList& filters) {
    return QFileDialog::getOpenFileName(owner_, caption, QString(), filters.join(";;"));
}

bool QtDialogs::printerSetup(QPrinter& printer) {
    QPageSetupDialog dialog(&printer, owner_);
    return dialog.exec() == QDialog::Accepted;
}

namespace {

// The box is not modal: a modal box would make Qt drop the window manager's close of the main
// window, and a user who closes the window during a long wait expects it to close (the wait then
// ends, as with the stop button). Instead it swallows the user's input to every other window.
class ProgressWaitBox : public QObject, public WaitBox {
  public:
    ProgressWaitBox(const QString& text, const QString& caption, QWidget* owner)
        : dialog_(text, QStringLiteral("中止"), 0, 0, owner) {
        dialog_.setWindowTitle(caption);
        dialog_.setWindowModality(Qt::NonModal);
        dialog_.setMinimumDuration(0);
        dialog_.setAutoClose(false);
        dialog_.setAutoReset(false);
        dialog_.show();
        qApp->installEventFilter(this);
    }
    ~ProgressWaitBox() override { qApp->removeEventFilter(this); }
    // Closing the box stops the wait as its button does.
    bool stopRequested() const override { return dialog_.wasCanceled(); }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Shortcut: {
            // Menu shortcuts reach their actions, which are no widgets.
            const auto* widget = qobject_cast<QWidget*>(watched);
            return !widget || widget->window() != &dialog_;
        }
        case QEvent::ShortcutOverride:
        case QEvent::ContextMenu:
        case QEvent::Drop: {
            const auto* widget = qobject_cast<QWidget*>(watched);
            return widget && widget->window() != &dialog_;
        }
        default:
            return false;
        }
    }

  private:
    QProgressDialog dialog_;
};

} // namespace

std::unique_ptr<WaitBox> QtDialogs::showWait(const QString& text, const QString& caption) {
    return std::make_unique<ProgressWaitBox>(text, caption, owner_);
}

QString QtDialogs::saveFile(const QString& caption, const QStringList& filters, int& filterIndex) {
    QFileDialog dialog(owner_, caption);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setNameFilters(filters);
    if (filterIndex >= 0 && filterIndex < filters.size())
        dialog.selectNameFilter(filters[filterIndex]);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
    filterIndex = std::max(0, static_cast<int>(filters.indexOf(dialog.selectedNameFilter())));
    return dialog.selectedFiles().constFirst();
}

bool QtDialogs::question(const QString& text, const QString& caption) {
    QMessageBox box(QMessageBox::Question, caption, ShownText(text),
                    QMessageBox::Yes | QMessageBox::No, owner_);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

void QtDialogs::about() {
    AboutBox box(owner_);
    box.exec();
}

} // namespace orvanta
