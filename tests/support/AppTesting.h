// Helpers for tests of the window: dialogs answered by the test, and the window's environment
// in a temporary folder.
#pragma once

#include "app/Dialogs.h"
#include "app/MainWindow.h"
#include "support/TestFiles.h"

#include <QCoreApplication>
#include <QString>

#include <memory>
#include <vector>

namespace orvanta::test {

// Records every box instead of showing it; file dialogs answer with `nextFile`.
class RecordingDialogs : public Dialogs {
  public:
    struct Message {
        QString text;
        QString caption;
        Icon icon;
    };

    void message(const QString& text, const QString& caption, Icon icon) override {
        messages.push_back({text, caption, icon});
    }
    QString openFile(const QString& caption, const QStringList& filters) override {
        fileDialogs.push_back(caption);
        return nextFile;
    }
    QString saveFile(const QString& caption, const QStringList& filters,
                     int& filterIndex) override {
        saveDialogs.push_back(filters);
        filterIndex = nextFilter;
        return nextFile;
    }
    QString chooseFolder(const QString& caption) override {
        fileDialogs.push_back(caption);
        return nextFolder;
    }
    bool printerSetup(QPrinter&) override { return ++printerSetups, confirmSetup; }
    // Answers with the front of `answers` (`answerYes` when it is empty) and records the question.
    bool question(const QString& text, const QString& caption) override {
        questions.push_back({text, caption, Icon::Information});
        if (answers.empty()) return answerYes;
        const bool answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    }
    void about() override { ++aboutBoxes; }
    // Wait boxes ask to stop once `stopWaitAfter` questions have been asked (never when < 0).
    class CountingWaitBox : public WaitBox {
      public:
        explicit CountingWaitBox(RecordingDialogs& owner) : owner_(owner) {}
        bool stopRequested() const override {
            return owner_.stopWaitAfter >= 0 && ++owner_.waitQuestions > owner_.stopWaitAfter;
        }

      private:
        RecordingDialogs& owner_;
    };
    std::unique_ptr<WaitBox> showWait(const QString& text, const QString&) override {
        waits.push_back(text);
        return std::make_unique<CountingWaitBox>(*this);
    }

    std::vector<Message> messages;
    bool answerYes = true;
    QStringList fileDialogs;
    QString nextFile;
    QString nextFolder;
    // Save dialogs: the filters each offered, and the filter the next one answers with.
    std::vector<QStringList> saveDialogs;
    int nextFilter = 0;
    std::vector<Message> questions;
    std::vector<bool> answers;
    int aboutBoxes = 0;
    int printerSetups = 0;
    bool confirmSetup = false;
    QStringList waits;
    int stopWaitAfter = -1;
    mutable int waitQuestions = 0;
};

// Lets queued calls and posted events run.
inline void ProcessEvents() {
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

// A window whose settings and converted files live in a temporary folder.
struct WindowHarness {
    TempDir dir;
    RecordingDialogs dialogs;
    // Whether the window gets a search index (in `dir`); without one it has no search.
    bool search = false;
    std::string indexFile() const { return (dir.path() / "cache" / "texts.sqlite").string(); }

    AppEnvironment environment(const QString& commandLineFile = {}) const {
        AppEnvironment env;
        env.settingsPath = QString::fromStdString((dir.path() / "orvanta.ini").string());
        env.convertedFolder = QString::fromStdString((dir.path() / "converted").string());
        env.commandLineFile = commandLineFile;
        if (search) env.indexFile = QString::fromStdString(indexFile());
        return env;
    }
    std::string settingsPath() const { return (dir.path() / "orvanta.ini").string(); }

    // Creates the window and lets its first activation run.
    std::unique_ptr<MainWindow> open(const QString& commandLineFile = {}) {
        auto window = std::make_unique<MainWindow>(environment(commandLineFile), dialogs);
        window->show();
        ProcessEvents();
        return window;
    }
};

} // namespace orvanta::test
