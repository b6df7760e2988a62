// The modal boxes and dialogs the window shows, behind an interface so that tests answer them
// without a window ever waiting for a click.
#pragma once

#include "model/Host.h"

#include <QString>
#include <QStringList>

#include <memory>

class QPrinter;
class QWidget;

namespace orvanta {

// Shows, while it lives, that the window waits for a long task, with a button to stop it.
class WaitBox {
  public:
    virtual ~WaitBox() = default;
    // Whether the user asked to stop (the stop button, or closing the box).
    virtual bool stopRequested() const = 0;
};

class Dialogs {
  public:
    enum class Icon { Information, Warning, Error };

    virtual ~Dialogs() = default;
    // A modal box with the text, the caption, the icon and an OK button.
    virtual void message(const QString& text, const QString& caption, Icon icon) = 0;
    // A file-open dialog with name filters in Qt's form ("Programs (*.exe)"), the first one
    // selected. Returns the chosen file, empty when cancelled.
    virtual QString openFile(const QString& caption, const QStringList& filters) = 0;
    // A save-file dialog with name filters in Qt's form, `filterIndex` selected first. Returns
    // the chosen file (empty when cancelled) and sets `filterIndex` to the filter it was chosen
    // under. It does not ask about an existing file: the caller does. Without a dialog to show,
    // the answer is a cancel.
    virtual QString saveFile(const QString& caption, const QStringList& filters, int& filterIndex) {
        return QString();
    }
    // A folder dialog; returns the chosen folder, empty when cancelled or without a dialog.
    virtual QString chooseFolder(const QString& caption) { return QString(); }
    // The printer setup dialog (paper, orientation) for `printer`; true when confirmed.
    virtual bool printerSetup(QPrinter& printer) = 0;
    // A modal box with the text, the caption and the buttons Yes and No; true for Yes. Without a
    // box to show, the answer is No, which never writes or replaces anything.
    virtual bool question(const QString& text, const QString& caption) { return false; }
    // The version box.
    virtual void about() = 0;
    // A box that keeps the user from the rest of the window while it is shown, saying `text`,
    // with a button to stop the wait. It goes when the returned object does.
    virtual std::unique_ptr<WaitBox> showWait(const QString& text, const QString& caption) = 0;
};

// The real boxes: QMessageBox, QFileDialog and the version box, owned by `owner`.
class QtDialogs : public Dialogs {
  public:
    void setOwner(QWidget* owner) { owner_ = owner; }
    void message(const QString& text, const QString& caption, Icon icon) override;
    QString openFile(const QString& caption, const QStringList& filters) override;
    QString saveFile(const QString& caption, const QStringList& filters, int& filterIndex) override;
    QString chooseFolder(const QString& caption) override;
    bool printerSetup(QPrinter& printer) override;
    bool question(const QString& text, const QString& caption) override;
    void about() override;
    std::unique_ptr<WaitBox> showWait(const QString& text, const QString& caption) override;

  private:
    QWidget* owner_ = nullptr;
};

} // namespace orvanta
