// Dialogs for the benchmarks of the window: any box is printed on stderr and answered at once.
#pragma once

#include "app/Dialogs.h"

#include <cstdio>
#include <memory>

namespace orvanta::bench {

class PrintedDialogs : public Dialogs {
  public:
    void message(const QString& text, const QString& caption, Icon) override {
        std::fprintf(stderr, "%s: %s\n", qPrintable(caption), qPrintable(text));
    }
    QString openFile(const QString&, const QStringList&) override { return {}; }
    bool printerSetup(QPrinter&) override { return false; }
    void about() override {}
    std::unique_ptr<WaitBox> showWait(const QString&, const QString&) override {
        struct Patient : WaitBox {
            bool stopRequested() const override { return false; }
        };
        return std::make_unique<Patient>();
    }
};

} // namespace orvanta::bench
