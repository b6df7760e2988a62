#include "app/Dialogs.h"

#include "app/AboutBox.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEventLoop>
#include <QFileDialog>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QProgressDialog>

#include <algorithm>

namespace orvanta {

namespace {

// A text the window shows, in the window's language: the Japanese source text, or its
// translation (app/translations) when the window speaks another language.
QString Tr(const char* text) {
    return QCoreApplication::translate("Dialogs", text);
}

// Messages break lines with a carriage return, as the boxes of the platform the texts were
// written for do; a label here breaks only at a line feed.
QString ShownText(const QString& text) {
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

// While a box is up it keeps the user from the rest of the program by swallowing their input to
// every other window. The boxes are not modal: Qt drops the window manager's close of a window
// that a modal box blocks, and a user who closes the main window expects it to close.
class InputGuard : public QObject {
  public:
    explicit InputGuard(const QWidget& box) : box_(box) { qApp->installEventFilter(this); }
    ~InputGuard() override { qApp->removeEventFilter(this); }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::ContextMenu:
        case QEvent::Drop:
            // Input reaches a widget through its window; it is judged at the widget.
            if (const auto* widget = qobject_cast<QWidget*>(watched))
                return widget->window() != &box_;
            return false;
        case QEvent::Shortcut:
            // Menu shortcuts go to their actions, which are no widgets.
            if (const auto* widget = qobject_cast<QWidget*>(watched))
                return widget->window() != &box_;
            return true;
        default:
            return false;
        }
    }

  private:
    const QWidget& box_;
};

// Runs `box` until it is answered, or until `owner` closes, which answers it as a cancel.
int RunBox(QDialog& box, QWidget* owner) {
    if (!owner || !owner->isVisible()) return box.exec();
    InputGuard guard(box);
    QEventLoop loop;
    QObject::connect(&box, &QDialog::finished, &loop, &QEventLoop::quit);
    class OwnerWatch : public QObject {
      public:
        explicit OwnerWatch(QDialog& box) : box_(box) {}
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Hide) box_.reject();
            return false;
        }

      private:
        QDialog& box_;
    } watch(box);
    owner->installEventFilter(&watch);
    box.setWindowModality(Qt::NonModal);
    box.show();
    loop.exec();
    owner->removeEventFilter(&watch);
    return box.result();
}

class ProgressWaitBox : public WaitBox {
  public:
    ProgressWaitBox(const QString& text, const QString& caption, QWidget* owner)
        : dialog_(text, Tr("中止"), 0, 0, owner) {
        dialog_.setWindowTitle(caption);
        dialog_.setWindowModality(Qt::NonModal);
        dialog_.setMinimumDuration(0);
        dialog_.setAutoClose(false);
        dialog_.setAutoReset(false);
        dialog_.show();
    }
    // Closing the box stops the wait as its button does; closing the main window stops it too.
    bool stopRequested() const override { return dialog_.wasCanceled(); }

  private:
    QProgressDialog dialog_;
    InputGuard guard_{dialog_};
};

} // namespace

void QtDialogs::message(const QString& text, const QString& caption, Icon icon) {
    const QString shown = ShownText(text);
    QMessageBox box(icon == Icon::Error     ? QMessageBox::Critical
                    : icon == Icon::Warning ? QMessageBox::Warning
                                            : QMessageBox::Information,
                    caption, shown, QMessageBox::Ok, owner_);
    RunBox(box, owner_);
}

QString QtDialogs::openFile(const QString& caption, const QStringList& filters) {
    return QFileDialog::getOpenFileName(owner_, caption, QString(), filters.join(";;"));
}

bool QtDialogs::printerSetup(QPrinter& printer) {
    QPageSetupDialog dialog(&printer, owner_);
    return dialog.exec() == QDialog::Accepted;
}

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

QString QtDialogs::chooseFolder(const QString& caption) {
    return QFileDialog::getExistingDirectory(owner_, caption);
}

bool QtDialogs::question(const QString& text, const QString& caption) {
    QMessageBox box(QMessageBox::Question, caption, ShownText(text),
                    QMessageBox::Yes | QMessageBox::No, owner_);
    box.setDefaultButton(QMessageBox::No);
    return RunBox(box, owner_) == QMessageBox::Yes;
}

void QtDialogs::about() {
    AboutBox box(owner_);
    box.exec();
}

} // namespace orvanta
