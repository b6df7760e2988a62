#include "app/InterfaceLanguage.h"
#include "app/MainWindow.h"
#include "app/SidePanel.h"

#include "support/AppTesting.h"

#include <QAbstractButton>
#include <QAction>
#include <QMenuBar>
#include <QMessageBox>
#include <QTabWidget>

#include <gtest/gtest.h>

namespace orvanta {
namespace {

TEST(InterfaceLanguage, QtsStandardButtonsSpeakJapanese) {
    QMessageBox box(QMessageBox::Question, QString(), QString(),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    EXPECT_TRUE(box.button(QMessageBox::Yes)->text().startsWith("はい"));
    EXPECT_TRUE(box.button(QMessageBox::No)->text().startsWith("いいえ"));
    EXPECT_TRUE(box.button(QMessageBox::Cancel)->text().startsWith("キャンセル"));
}

TEST(InterfaceLanguage, AnEnglishLocaleGivesAnEnglishWindow) {
    // Back to the Japanese of the other tests, however this one ends.
    struct Restore {
        ~Restore() { UseInterfaceLanguage(Language::Japanese); }
    } restore;
    UseInterfaceLanguage(WindowLanguage("en_US.UTF-8"));
    test::WindowHarness h;
    auto w = h.open();
    QStringList titles;
    for (QAction* menu : w->menuBar()->actions())
        titles << menu->text();
    EXPECT_EQ(titles, (QStringList{"File", "Batch", "Print", "Insert", "View", "Help"}));
    EXPECT_EQ(w->tabs()->tabText(MainWindow::PreviewTab), " Previews");
    EXPECT_EQ(w->sidePanel()->pages()->tabText(0), "Layers");
    EXPECT_EQ(TextLanguage(), Language::English);
}

TEST(InterfaceLanguage, MessageBoxesOfTheEnglishWindowAreEnglish) {
    struct Restore {
        ~Restore() { UseInterfaceLanguage(Language::Japanese); }
    } restore;
    UseInterfaceLanguage(Language::English);
    test::WindowHarness h;
    test::TempDir folder;
    folder.write("bad.dxf", "  0\nSECTION\n  2\nENTITIES\n  0\nLINE\n 10\nnot a number\n");
    auto w = h.open();
    w->tabs()->setCurrentIndex(MainWindow::DetailTab);
    w->showFolder(QString::fromStdString(folder.path().string()));
    ASSERT_EQ(h.dialogs.messages.size(), 1u);
    EXPECT_EQ(h.dialogs.messages[0].caption, "Information");
    EXPECT_TRUE(h.dialogs.messages[0].text.endsWith("\r could not be read"));
}

} // namespace
} // namespace orvanta
