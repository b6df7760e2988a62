#include "app/MainWindow.h"
#include "app/FileListPanel.h"
#include "app/FolderTree.h"
#include "app/SidePanel.h"
#include "browse/IniFile.h"

#include "support/AppTesting.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QRegularExpression>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace orvanta {
namespace {

using test::Dxf;
using test::ProcessEvents;
using test::WindowHarness;

// A drawing with two layers (one off), two named views and a hidden one, a line and texts,
// one of which (code 70 = 1) is left out of the text list.
std::string PlanDrawing() {
    return Dxf(
        {"0",  "SECTION",  "2",  "HEADER",    "9", "$ACADVER", "1",  "AC1015", "0",  "ENDSEC",
         "0",  "SECTION",  "2",  "TABLES",    "0", "TABLE",    "2",  "LAYER",  "0",  "LAYER",
         "2",  "walls",    "62", "1",         "0", "LAYER",    "2",  "Doors",  "62", "-2",
         "0",  "ENDTAB",   "0",  "TABLE",     "2", "VIEW",     "0",  "VIEW",   "2",  "side",
         "70", "0",        "0",  "VIEW",      "2", "Front",    "70", "0",      "0",  "VIEW",
         "2",  "Hidden",   "70", "1",         "0", "ENDTAB",   "0",  "ENDSEC", "0",  "SECTION",
         "2",  "ENTITIES", "0",  "LINE",      "8", "walls",    "10", "0",      "20", "0",
         "11", "10",       "21", "5",         "0", "TEXT",     "8",  "walls",  "1",  "Kitchen",
         "0",  "TEXT",     "8",  "walls",     "1", "bath",     "0",  "TEXT",   "8",  "walls",
         "70", "1",        "1",  "Attribute", "0", "TEXT",     "8",  "Doors",  "1",  "KITCHEN door",
         "0",  "ENDSEC",   "0",  "EOF"});
}

std::string SmallDrawing(const char* layer) {
    return Dxf({"0",  "SECTION", "2",  "ENTITIES", "0",  "LINE", "8", layer,    "10", "0",
                "20", "0",       "11", "1",        "21", "1",    "0", "ENDSEC", "0",  "EOF"});
}

QString Path(const test::TempDir& dir, const char* name = nullptr) {
    return QString::fromStdString(name ? (dir.path() / name).string() : dir.path().string());
}

QStringList ListTexts(const QListWidget* list) {
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

QStringList ComboTexts(const QComboBox* box) {
    QStringList texts;
    for (int i = 0; i < box->count(); ++i)
        texts << box->itemText(i);
    return texts;
}

QStringList Column(const FileListPanel* list, int column) {
    QStringList texts;
    for (int row = 0; row < list->rowCount(); ++row)
        texts << list->cell(row, column);
    return texts;
}

TEST(MainWindow, MenusCarryTheirTextsAndLaterFeaturesAreDisabled) {
    WindowHarness h;
    auto w = h.open();
    QStringList titles;
    for (QAction* menu : w->menuBar()->actions())
        titles << menu->text();
    EXPECT_EQ(titles, (QStringList{"ファイル", "一括処理", "印刷", "挿入", "表示", "ヘルプ"}));
    EXPECT_EQ(w->windowTitle(), "Orvanta Ver.2016.9.30b");

    for (const char* text : {"現フォルダを履歴に追加",
                             "現フォルダを履歴から削除",
                             "終了",
                             "取り消し",
                             "モノクロ表示",
                             "線の太さを表示",
                             "フォルダツリービュー非表示",
                             "ファイルリスト非表示",
                             "画層・文字列非表示",
                             "ツリービューのトップを「デスクトップ」に戻す",
                             "ツリービューのトップを「現フォルダ」に",
                             "ツリービューのトップを「デスクトップ」に（次回起動時も）",
                             "ツリービューのトップを「現フォルダ」に（次回起動時も）",
                             "TeighaFileConverter.exe を登録",
                             "変換中 TeighaFileConverter を表示",
                             "バージョン情報",
                             "トップを「デスクトップ」に戻す",
                             "トップを現フォルダに",
                             "AutoCAD / LT (2014~2017) へブロック挿入",
                             "一覧用イメージ作成",
                             "一覧用イメージ削除",
                             "DXFバージョン取得",
                             "200 x 160",
                             "160 x 130",
                             "100 x  88",
                             " 80 x  76"}) {
        QAction* a = w->action(QString::fromUtf8(text));
        ASSERT_TRUE(a) << text;
        EXPECT_TRUE(a->isEnabled()) << text;
    }
    for (const char* text :
         {"WMF/EMF・BMP作成", "一覧を印刷", "詳細を印刷", "AutoCAD / LT (2014~2017) へ分解挿入",
          "Bricscad V13 へブロック挿入"}) {
        QAction* a = w->action(QString::fromUtf8(text));
        ASSERT_TRUE(a) << text;
        EXPECT_FALSE(a->isEnabled()) << text;
    }
    EXPECT_TRUE(w->action("200 x 160")->isChecked());
    EXPECT_EQ(w->tabs()->tabText(0), " 一覧");
    EXPECT_EQ(w->tabs()->tabText(1), " 詳細");
    EXPECT_EQ(w->sidePanel()->pages()->tabText(0), "画層");
    EXPECT_EQ(w->sidePanel()->pages()->tabText(1), "文字列");
    EXPECT_EQ(w->sidePanel()->blinkBox()->text(), "点滅表示");
    EXPECT_EQ(w->fileList()->pathLabel()->text(), "Path:");

    w->action("バージョン情報")->trigger();
    EXPECT_EQ(h.dialogs.aboutBoxes, 1);
}

TEST(MainWindow, FreshStartUsesTheDesignLayout) {
    WindowHarness h;
    auto w = h.open();
    EXPECT_EQ(w->treePanelWidth(), 183);
    EXPECT_EQ(w->fileListPanelHeight(), 125);
    EXPECT_EQ(w->sidePanelWidth(), 0) << "the preview tab shows no right-hand panel";
    EXPECT_EQ(w->tabs()->currentIndex(), MainWindow::PreviewTab);
    w->tabs()->setCurrentIndex(MainWindow::DetailTab);
    EXPECT_EQ(w->sidePanelWidth(), 135);

    w->action("画層・文字列非表示")->trigger();
    EXPECT_EQ(w->sidePanelWidth(), 0);
    w->action("画層・文字列非表示")->trigger();
    EXPECT_EQ(w->sidePanelWidth(), 135);
    w->action("フォルダツリービュー非表示")->trigger();
    EXPECT_EQ(w->treePanelWidth(), 0);
    w->action("フォルダツリービュー非表示")->trigger();
    EXPECT_EQ(w->treePanelWidth(), 183);
    w->action("ファイルリスト非表示")->trigger();
    EXPECT_EQ(w->fileListPanelHeight(), 0);
}

TEST(MainWindow, SettingsSurviveARestart) {
    WindowHarness h;
    test::TempDir folder;
    folder.write("a.dxf", SmallDrawing("0"));
    const std::string converter = folder.write("converter", "#!/bin/sh\n");
    {
        auto w = h.open();
        w->showFolder(Path(folder));
        w->addCurrentFolderToHistory();
        h.dialogs.nextFile = QString::fromStdString(converter);
        w->action("TeighaFileConverter.exe を登録")->trigger();
        w->action("変換中 TeighaFileConverter を表示")->trigger();
        w->action("フォルダツリービュー非表示")->trigger();
        w->action("ファイルリスト非表示")->trigger();
        w->tabs()->setCurrentIndex(MainWindow::DetailTab);
        w->setTreeTopToCurrentFolder(true);
        w->move(40, 30);
        w->close();
    }
    IniFile ini;
    ASSERT_TRUE(ini.load(h.settingsPath()));
    EXPECT_EQ(ini.value("Shell", "Path"), folder.path().string());
    EXPECT_FALSE(ini.value("Form", "Panel4Height")) << "the file list height is not written";

    auto w = h.open();
    EXPECT_EQ(w->history().at(0), folder.path().string());
    EXPECT_TRUE(w->action(QString::fromStdString(folder.path().string()))->isVisible());
    EXPECT_EQ(w->settings().converterExePath, converter);
    EXPECT_TRUE(w->action("変換中 TeighaFileConverter を表示")->isChecked());
    EXPECT_EQ(w->treePanelWidth(), 0);
    EXPECT_TRUE(w->action("フォルダツリービュー非表示")->isChecked());
    EXPECT_EQ(w->fileListPanelHeight(), 125) << "a hidden file list shows again";
    EXPECT_FALSE(w->action("ファイルリスト非表示")->isChecked());
    EXPECT_EQ(w->tabs()->currentIndex(), MainWindow::DetailTab);
    EXPECT_EQ(w->folderTree()->topFolder(), Path(folder));
    EXPECT_EQ(w->pos(), QPoint(40, 30));
    // The folder shown last is shown again, and on the detail tab its first drawing opens.
    EXPECT_EQ(w->fileList()->pathLabel()->text(), Path(folder));
    EXPECT_EQ(w->currentDrawingLabel()->text(), "a.dxf");

    w->setTreeTopToRoot(true);
    w->close();
    w.reset();
    EXPECT_EQ(h.open()->folderTree()->topFolder(), "/");
}

TEST(MainWindow, DamagedSettingsStartWithDefaults) {
    WindowHarness h;
    test::TempDir missing;
    std::ofstream(h.settingsPath(), std::ios::binary)
        << "[Form]\nPanel1Width=-40\nPanel3Width=abc\nDrawGridColWidth=150\n\x01\x02\xFF\n"
           "[Teigha]\nExePath=/no/such/TeighaFileConverter\nShow=1\n[Page]\nTab=7\n"
           "[Menu]\nPath2=/somewhere\n";
    auto w = h.open();
    EXPECT_EQ(w->treePanelWidth(), 183);
    EXPECT_EQ(w->settings().sidePanelWidth, 135);
    // Kept for a later start, when the converter may be back; not used now.
    EXPECT_EQ(w->settings().converterExePath, "/no/such/TeighaFileConverter");
    EXPECT_EQ(w->tabs()->currentIndex(), MainWindow::PreviewTab);
    EXPECT_EQ(w->settings().cellWidth, 150);
    for (const char* size : {"200 x 160", "160 x 130", "100 x  88", " 80 x  76"})
        EXPECT_FALSE(w->action(size)->isChecked()) << size;
    EXPECT_EQ(w->history().at(2), "/somewhere");
}

TEST(MainWindow, AScanListsAndOrdersTheFolder) {
    WindowHarness h;
    test::TempDir folder;
    folder.write("B.DXF", SmallDrawing("0"));
    folder.write("a.dwg", std::string(1023, '\0'));
    folder.write("notes.txt", "x");
    auto w = h.open();
    w->showFolder(Path(folder));
    EXPECT_EQ(w->windowTitle(), "Orvanta2017 [" + Path(folder) + "]");
    // On the preview tab the picture build follows the scan and empties the panel at its end.
    w->waitForPreviews();
    EXPECT_EQ(w->statusText(StatusPanel::Progress), "");
    FileListPanel* list = w->fileList();
    EXPECT_EQ(Column(list, FileListPanel::NameColumn), (QStringList{"a.dwg", "B.DXF"}));
    EXPECT_EQ(list->cell(0, FileListPanel::SizeColumn), "0KB");
    EXPECT_EQ(list->cell(0, FileListPanel::VersionColumn), "");
    EXPECT_EQ(list->cell(0, FileListPanel::TimeColumn).size(), 16);
    QStringList headers;
    for (int c = 0; c < FileListPanel::ColumnCount; ++c)
        headers << list->table()->horizontalHeaderItem(c)->text();
    EXPECT_EQ(headers, (QStringList{"Name", "Version", "Size", "Time", "..."}));
    EXPECT_EQ(list->table()->columnWidth(0), 150);
    EXPECT_EQ(w->currentDrawingLabel()->text(), "") << "the preview tab opens nothing";

    // An empty folder and a folder that cannot be read leave one empty row.
    test::TempDir empty;
    w->showFolder(Path(empty));
    EXPECT_EQ(list->rowCount(), 1);
    EXPECT_EQ(list->cell(0, 0), "");
    w->showFolder(Path(empty, "missing"));
    EXPECT_EQ(list->rowCount(), 1);
    w->tabs()->setCurrentIndex(MainWindow::DetailTab);
    EXPECT_EQ(w->currentDrawingLabel()->text(), "");
}

TEST(MainWindow, ADrawingSavedOnASheetOpensThereAndItsTabsSwitchBack) {
    WindowHarness h;
    test::TempDir folder;
    folder.write("sheet.dxf", Dxf({"0",   "SECTION",
                                   "2",   "HEADER",
                                   "9",   "$TILEMODE",
                                   "70",  "0",
                                   "0",   "ENDSEC",
                                   "0",   "SECTION",
                                   "2",   "TABLES",
                                   "0",   "TABLE",
                                   "2",   "BLOCK_RECORD",
                                   "0",   "BLOCK_RECORD",
                                   "5",   "2A",
                                   "2",   "*Paper_Space",
                                   "340", "2B",
                                   "0",   "ENDTAB",
                                   "0",   "ENDSEC",
                                   "0",   "SECTION",
                                   "2",   "ENTITIES",
                                   "0",   "TEXT",
                                   "10",  "0",
                                   "20",  "0",
                                   "40",  "1",
                                   "1",   "in model",
                                   "0",   "TEXT",
                                   "67",  "1",
                                   "10",  "0",
                                   "20",  "0",
                                   "40",  "1",
                                   "1",   "on sheet",
                                   "0",   "ENDSEC",
                                   "0",   "SECTION",
                                   "2",   "OBJECTS",
                                   "0",   "LAYOUT",
                                   "5",   "2B",
                                   "100", "AcDbLayout",
                                   "1",   "Sheet A",
                                   "71",  "1",
                                   "330", "2A",
                                   "0",   "ENDSEC",
                                   "0",   "EOF"}));
    auto w = h.open();
    w->tabs()->setCurrentIndex(MainWindow::DetailTab);
    w->showFolder(Path(folder));

    QTabBar* tabs = w->layoutTabs();
    ASSERT_EQ(tabs->count(), 2);
    EXPECT_EQ(tabs->tabText(0), "モデル");
    EXPECT_EQ(tabs->tabText(1), "Sheet A");
    EXPECT_EQ(tabs->currentIndex(), 1);
    EXPECT_EQ(w->sidePanel()->textItems(), (QStringList{"on sheet"}));
    tabs->setCurrentIndex(0);
    ProcessEvents();
    EXPECT_EQ(w->sidePanel()->textItems(), (QStringList{"in model"}));
    // The counts are the shown sheet's own.
    EXPECT_EQ(w->sidePanel()->countLabel(5)->text(), "Text : 1");
}

TEST(MainWindow, ARowOpensItsDrawingAndFillsThePanels) {
    WindowHarness h;
    test::TempDir folder;
    folder.write("plan.dxf", PlanDrawing());
    folder.write("tiny.dxf", SmallDrawing("only"));
    auto w = h.open();
    w->tabs()->setCurrentIndex(MainWindow::DetailTab);
    w->showFolder(Path(folder));

    EXPECT_EQ(w->currentDrawingLabel()->text(), "plan.dxf");
    EXPECT_EQ(w->fileList()->cell(0, FileListPanel::VersionColumn), "2000");
    SidePanel* side = w->sidePanel();
    EXPECT_EQ(ListTexts(side->layerList()), (QStringList{"Doors", "walls"}));
    EXPECT_EQ(side->layerList()->item(0)->checkState(), Qt::Unchecked);
    EXPECT_EQ(side->layerList()->item(1)->checkState(), Qt::Checked);
    EXPECT_EQ(ComboTexts(side->viewSelector()), (QStringList{"*AllView*", "Front", "side"}));
    EXPECT_EQ(side->viewSelector()->currentIndex(), 0);
    EXPECT_EQ(side->textItems(), (QStringList{"bath", "Kitchen", "KITCHEN door"}));
    const QStringList counts{"Layer : 2",  "Line : 1",  "Polyline : 0",  "Circle : 0",
                             "Arc : 0",    "Text : 4",  "Ellipse : 0",   "3DFace : 0",
                             "Insert : 0", "Block : 0", "Dimension : 0", "Leader : 0",
                             "View : 3"};
    for (int i = 0; i < SidePanel::CountLabels; ++i)
        EXPECT_EQ(side->countLabel(i)->text(), counts[i]);
    EXPECT_FALSE(w->statusText(StatusPanel::Elapsed).isEmpty());
    EXPECT_EQ(w->drawing().LineAry.size(), 1u);

    // The filter is a case-sensitive substring.
    side->textFilter()->setText("KITCHEN");
    EXPECT_EQ(side->textItems(), (QStringList{"KITCHEN door"}));
    side->textFilter()->setText("itch");
    EXPECT_EQ(side->textItems(), (QStringList{"Kitchen"}));

    // The next row replaces all of it; a drawing without views offers "NoView".
    QTest::mouseClick(
        w->fileList()->table()->viewport(), Qt::LeftButton, {},
        w->fileList()->table()->visualRect(w->fileList()->table()->model()->index(1, 0)).center());
    EXPECT_EQ(w->currentDrawingLabel()->text(), "tiny.dxf");
    EXPECT_EQ(ListTexts(side->layerList()), (QStringList{"only"}));
    EXPECT_EQ(ComboTexts(side->viewSelector()), (QStringList{"NoView"}));
    EXPECT_EQ(side->textFilter()->text(), "");
    EXPECT_EQ(side->textItems().size(), 0);
    EXPECT_EQ(w->fileList()->cell(1, FileListPanel::VersionColumn), "----");
    EXPECT_TRUE(h.dialogs.messages.empty());
}

TEST(MainWindow, AMalformedFileShowsTheErrorBoxAndTheNextFileStillOpens) {
    WindowHarness h;
    test::TempDir folder;
    folder.write("a_bad.dxf", "  0\nSECTION\n  2\nENTITIES\n  0\nLINE\n 10\nnot a number\n");
    folder.write("b_good.dxf", SmallDrawing("good"));
    auto w = h.open();
    w->tabs()->setCurrentIndex(MainWindow::DetailTab);
    w->showFolder(Path(folder));
    ASSERT_EQ(h.dialogs.messages.size(), 1u);
    EXPECT_EQ(h.dialogs.messages[0].text, Path(folder, "a_bad.dxf") + "\r 読み込みエラーです");
    EXPECT_EQ(h.dialogs.messages[0].caption, "情報");
    EXPECT_EQ(h.dialogs.messages[0].icon, Dialogs::Icon::Information);
    const QImage& picture = w->detailView().picture();
    EXPECT_EQ(picture.pixelColor(picture.width() / 2, picture.height() / 2), QColor(Qt::black));

    w->fileList()->table()->setCurrentCell(1, 0);
    EXPECT_EQ(w->currentDrawingLabel()->text(), "b_good.dxf");
    EXPECT_EQ(ListTexts(w->sidePanel()->layerList()), (QStringList{"good"}));
    EXPECT_EQ(h.dialogs.messages.size(), 1u);
}

TEST(MainWindow, AnEncodingChosenForAFileReadsItAgainAndIsRemembered) {
    WindowHarness h;
    test::TempDir folder;
    // GBK bytes in a file that states the Western page.
    folder.write("g.dxf", test::Dxf({"0", "SECTION",          "2", "HEADER", "9", "$DWGCODEPAGE",
                                     "3", "ANSI_1252",        "0", "ENDSEC", "0", "SECTION",
                                     "2", "ENTITIES",         "0", "TEXT",   "8", "0",
                                     "1", "\xD6\xD0\xCE\xC4", "0", "ENDSEC", "0", "EOF"}));
    auto w = h.open();
    w->tabs()->setCurrentIndex(MainWindow::DetailTab);
    w->showFolder(Path(folder));
    ASSERT_EQ(w->drawing().TextAry.size(), 1u);
    EXPECT_EQ(w->drawing().TextAry[0].str, "ÖÐÎÄ");
    EXPECT_EQ(w->statusText(StatusPanel::Encoding), "Windows-1252 ($DWGCODEPAGE ANSI_1252)");
    w->chooseEncoding("GBK");
    ASSERT_EQ(w->drawing().TextAry.size(), 1u);
    EXPECT_EQ(w->drawing().TextAry[0].str, "中文");
    EXPECT_EQ(w->statusText(StatusPanel::Encoding), "指定: GBK");
    EXPECT_EQ(w->settings().fileEncodings.at(Path(folder, "g.dxf").toStdString()), "GBK");
    w->chooseEncoding("");
    EXPECT_EQ(w->drawing().TextAry[0].str, "ÖÐÎÄ");
    EXPECT_TRUE(w->settings().fileEncodings.empty());
}

TEST(MainWindow, AFailedLoadClearsThePreviousDrawingAndSaysWhy) {
    WindowHarness h;
    test::TempDir folder;
    folder.write("a_good.dxf", SmallDrawing("good"));
    folder.write("b_bad.dxf", "  0\nSECTION\n  2\nENTITIES\n  0\nLINE\n 10\nnot a number\n");
    auto w = h.open();
    w->tabs()->setCurrentIndex(MainWindow::DetailTab);
    w->showFolder(Path(folder));
    ASSERT_EQ(ListTexts(w->sidePanel()->layerList()), (QStringList{"good"}));
    w->fileList()->table()->setCurrentCell(1, 0);
    EXPECT_TRUE(ListTexts(w->sidePanel()->layerList()).isEmpty());
    EXPECT_EQ(w->sidePanel()->countLabel(1)->text(), "");
    EXPECT_TRUE(w->drawing().LineAry.empty());
    EXPECT_TRUE(w->statusText(StatusPanel::Progress)
                    .startsWith(Path(folder, "b_bad.dxf") + "（8 行目）: "));
    // The same row again tries again; another row loads normally.
    w->fileList()->table()->setCurrentCell(0, 0);
    w->fileList()->table()->setCurrentCell(1, 0);
    EXPECT_EQ(h.dialogs.messages.size(), 2u);
    w->fileList()->table()->setCurrentCell(0, 0);
    EXPECT_EQ(w->sidePanel()->countLabel(1)->text(), "Line : 1");
}

TEST(MainWindow, ADrawingOfTheSameNameInAnotherFolderIsOpened) {
    WindowHarness h;
    test::TempDir a, b;
    a.write("plan.dxf", SmallDrawing("from_a"));
    b.write("plan.dxf", SmallDrawing("from_b"));
    auto w = h.open();
    w->tabs()->setCurrentIndex(MainWindow::DetailTab);
    w->showFolder(Path(a));
    EXPECT_TRUE(ListTexts(w->sidePanel()->layerList()).contains("from_a"));
    w->showFolder(Path(b));
    EXPECT_TRUE(ListTexts(w->sidePanel()->layerList()).contains("from_b"));
    w->showFolder(Path(a));
    w->dropFiles({Path(b, "plan.dxf")});
    EXPECT_TRUE(ListTexts(w->sidePanel()->layerList()).contains("from_b"));
}

TEST(MainWindow, JapaneseOfEveryEncodingComesOutRight) {
    WindowHarness h;
    test::TempDir folder;
    // Release 2007 written in UTF-8, as the program that made the format writes it.
    folder.write("r2007.dxf", Dxf({"0", "SECTION", "2", "HEADER",  "9", "$ACADVER", "1", "AC1021",
                                   "0", "ENDSEC",  "0", "SECTION", "2", "ENTITIES", "0", "TEXT",
                                   "8", "平面図",  "1", "寝室",    "0", "ENDSEC",   "0", "EOF"}));
    std::filesystem::copy(test::SourcePath("samples/japanese-sjis.dxf"), folder.path());
    std::filesystem::copy(test::SourcePath("samples/japanese-utf8.dxf"), folder.path());
    auto w = h.open();
    w->tabs()->setCurrentIndex(MainWindow::DetailTab);
    w->showFolder(Path(folder));
    w->fileList()->table()->setCurrentCell(w->fileList()->findRow("r2007.dxf"), 0);
    EXPECT_TRUE(ListTexts(w->sidePanel()->layerList()).contains("平面図"));
    EXPECT_EQ(w->sidePanel()->textItems(), QStringList{"寝室"});
    w->fileList()->table()->setCurrentCell(w->fileList()->findRow("japanese-sjis.dxf"), 0);
    const QStringList sjis = w->sidePanel()->textItems();
    const QStringList sjisLayers = ListTexts(w->sidePanel()->layerList());
    w->fileList()->table()->setCurrentCell(w->fileList()->findRow("japanese-utf8.dxf"), 0);
    EXPECT_EQ(w->sidePanel()->textItems(), sjis);
    EXPECT_EQ(ListTexts(w->sidePanel()->layerList()), sjisLayers);
    EXPECT_FALSE(
        sjis.filter(QRegularExpression("[\\x{3040}-\\x{30FF}\\x{4E00}-\\x{9FFF}]")).isEmpty());
    EXPECT_TRUE(sjis.filter(QChar(0xFFFD)).isEmpty());
}

TEST(MainWindow, AStoredFolderMissingAtStartUpIsKept) {
    WindowHarness h;
    std::ofstream(h.settingsPath()) << "[TreeView]\nBaseFolade=/no/such/drive/plans/\n"
                                       "[Shell]\nPath=/no/such/drive/plans\n";
    auto w = h.open();
    EXPECT_EQ(w->folderTree()->topFolder(), "/");
    w->close();
    w.reset();
    IniFile file;
    file.load(h.settingsPath());
    EXPECT_EQ(file.value("TreeView", "BaseFolade"), "/no/such/drive/plans/");
    EXPECT_EQ(file.value("Shell", "Path"), "/no/such/drive/plans");
}

TEST(MainWindow, ADwgWithoutConverterShowsItsReleaseAndNoOtherDrawing) {
    WindowHarness h;
    test::TempDir folder;
    folder.write("a.dxf", SmallDrawing("kept"));
    folder.write("b.dwg", std::string("AC1027\0\0\0\0", 10));
    folder.write("c.dxf", std::string("AC1015\0\0\0\0", 10));
    auto w = h.open();
    w->tabs()->setCurrentIndex(MainWindow::DetailTab);
    w->showFolder(Path(folder));
    w->fileList()->table()->setCurrentCell(1, 0);
    EXPECT_EQ(w->fileList()->cell(1, FileListPanel::VersionColumn), "2013");
    EXPECT_EQ(w->fileList()->cell(1, FileListPanel::KindColumn), "DWG");
    // The layers of a.dxf beside b.dwg's name would be another drawing's.
    EXPECT_TRUE(ListTexts(w->sidePanel()->layerList()).isEmpty());
    EXPECT_TRUE(w->drawing().LineAry.empty());
    EXPECT_TRUE(h.dialogs.messages.empty());

    // A DWG under a DXF name cannot be read as text without a converter: an error.
    w->fileList()->table()->setCurrentCell(2, 0);
    EXPECT_EQ(w->fileList()->cell(2, FileListPanel::VersionColumn), "2000");
    EXPECT_EQ(w->fileList()->cell(2, FileListPanel::KindColumn), "BinaryDXF");
    EXPECT_EQ(h.dialogs.messages.size(), 1u);
}

TEST(MainWindow, ADroppedFileIsTakenAsPendingAndOpened) {
    WindowHarness h;
    test::TempDir folder;
    folder.write("a.dxf", SmallDrawing("a"));
    folder.write("b.dxf", SmallDrawing("b"));
    folder.write("c.dxf", SmallDrawing("c"));
    auto w = h.open();
    ASSERT_EQ(w->tabs()->currentIndex(), MainWindow::PreviewTab);

    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(Path(folder, "b.dxf"))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w.get(), &drop);
    EXPECT_TRUE(drop.isAccepted());
    ProcessEvents();

    EXPECT_EQ(w->tabs()->currentIndex(), MainWindow::DetailTab);
    EXPECT_EQ(w->fileList()->pathLabel()->text(), Path(folder));
    EXPECT_EQ(w->fileList()->currentRow(), 1);
    EXPECT_EQ(w->currentDrawingLabel()->text(), "b.dxf");
    EXPECT_FALSE(w->pendingFileSet()) << "the scan consumed it";
    EXPECT_TRUE(h.dialogs.messages.empty());

    // Two files: the warning, then the first one.
    w->dropFiles({Path(folder, "c.dxf"), Path(folder, "a.dxf")});
    ASSERT_EQ(h.dialogs.messages.size(), 1u);
    EXPECT_EQ(h.dialogs.messages[0].text, "ファイルは1つずつドラッグしてください。");
    EXPECT_EQ(h.dialogs.messages[0].icon, Dialogs::Icon::Warning);
    EXPECT_EQ(w->currentDrawingLabel()->text(), "c.dxf");
}

TEST(MainWindow, TheCommandLineDrawingOpensAtTheFirstActivation) {
    WindowHarness h;
    test::TempDir folder;
    folder.write("a.dxf", SmallDrawing("a"));
    folder.write("b.dxf", SmallDrawing("b"));
    MainWindow w(h.environment(Path(folder, "b.dxf")), h.dialogs);
    EXPECT_EQ(w.tabs()->currentIndex(), MainWindow::DetailTab);
    EXPECT_TRUE(w.pendingFileSet());
    EXPECT_EQ(w.pendingFileName(), "b.dxf");
    w.show();
    ProcessEvents();
    EXPECT_EQ(w.fileList()->pathLabel()->text(), Path(folder));
    EXPECT_EQ(w.currentDrawingLabel()->text(), "b.dxf");
    EXPECT_EQ(w.sidePanelWidth(), 135);
}

TEST(MainWindow, HistoryEntriesShowTheirFolderOrGoAway) {
    WindowHarness h;
    test::TempDir one;
    test::TempDir two;
    auto w = h.open();
    w->addCurrentFolderToHistory();
    EXPECT_FALSE(w->history().anyVisible()) << "no folder chosen yet";
    w->showFolder(Path(one));
    w->addCurrentFolderToHistory();
    std::filesystem::create_directory(two.path() / "sub&dir");
    w->showFolder(Path(two) + "/sub&dir");
    w->addCurrentFolderToHistory();
    EXPECT_EQ(w->history().at(0), two.path().string() + "/sub&dir");
    QAction* entry = w->action(Path(two) + "/sub&&dir");
    ASSERT_TRUE(entry) << "a '&' in a folder name is no mnemonic";

    w->openHistoryEntry(1);
    EXPECT_EQ(w->fileList()->pathLabel()->text(), Path(one));
    std::filesystem::remove(two.path() / "sub&dir");
    w->openHistoryEntry(0);
    EXPECT_EQ(w->history().at(0), one.path().string()) << "a deleted folder leaves the history";
    EXPECT_EQ(w->fileList()->pathLabel()->text(), Path(one)) << "the current folder stays";

    w->removeCurrentFolderFromHistory();
    EXPECT_FALSE(w->history().anyVisible());
}

TEST(MainWindow, TheHistoryKeepsSixteenFoldersInItsMenuAndItsFile) {
    WindowHarness h;
    test::TempDir root;
    const auto folder = [&](int i) { return (root.path() / ("f" + std::to_string(i))).string(); };
    {
        auto w = h.open();
        for (int i = 0; i <= HistorySize; ++i) {
            std::filesystem::create_directory(folder(i));
            w->showFolder(QString::fromStdString(folder(i)));
            w->addCurrentFolderToHistory();
        }
        EXPECT_EQ(w->history().at(HistorySize - 1), folder(1));
        EXPECT_FALSE(w->action(QString::fromStdString(folder(0)))) << "the oldest leaves the menu";
        w->close();
    }
    IniFile ini;
    ASSERT_TRUE(ini.load(h.settingsPath()));
    EXPECT_EQ(ini.value("Menu", "Path" + std::to_string(HistorySize - 1)), folder(1));
    EXPECT_FALSE(ini.value("Menu", "Path" + std::to_string(HistorySize)));
    EXPECT_EQ(ini.text().find(folder(0)), std::string::npos) << "nor is it written";
}

TEST(MainWindow, TheTreeShowsFoldersAndRenamesThem) {
    WindowHarness h;
    test::TempDir top;
    std::filesystem::create_directories(top.path() / "b" / "inner");
    std::filesystem::create_directories(top.path() / "A");
    std::filesystem::create_directories(top.path() / ".hidden");
    top.write("file.dxf", SmallDrawing("0"));
    auto w = h.open();
    FolderTree* tree = w->folderTree();
    EXPECT_EQ(tree->topFolder(), "/");

    // The initial path text resolves to no folder: nothing changes.
    w->setTreeTopToCurrentFolder(false);
    EXPECT_EQ(tree->topFolder(), "/");

    w->showFolder(Path(top));
    w->setTreeTopToCurrentFolder(false);
    ASSERT_EQ(tree->topLevelItemCount(), 1);
    QTreeWidgetItem* root = tree->topLevelItem(0);
    ASSERT_EQ(root->childCount(), 2);
    EXPECT_EQ(root->child(0)->text(0), "A");
    EXPECT_EQ(root->child(1)->text(0), "b");
    EXPECT_EQ(root->child(0)->childIndicatorPolicy(), QTreeWidgetItem::DontShowIndicator);
    EXPECT_EQ(root->child(1)->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator);

    tree->setCurrentItem(root->child(1));
    EXPECT_EQ(w->fileList()->pathLabel()->text(), Path(top) + "/b");
    EXPECT_EQ(w->fileList()->rowCount(), 1);

    root->child(1)->setExpanded(true);
    EXPECT_EQ(root->child(1)->childCount(), 1);
    root->child(1)->setExpanded(false);
    EXPECT_EQ(root->child(1)->childCount(), 0) << "collapsing forgets the listed folders";

    // Renaming by label edit; the current folder follows.
    root->child(1)->setText(0, "c");
    EXPECT_TRUE(std::filesystem::is_directory(top.path() / "c"));
    EXPECT_EQ(FolderTree::pathOf(root->child(1)), Path(top) + "/c");
    EXPECT_EQ(w->fileList()->pathLabel()->text(), Path(top) + "/c");
    // An existing name, and the top node, keep their labels.
    root->child(1)->setText(0, "A");
    EXPECT_EQ(root->child(1)->text(0), "c");
    EXPECT_TRUE(std::filesystem::is_directory(top.path() / "c"));
    const QString topText = root->text(0);
    root->setText(0, "renamed");
    EXPECT_EQ(root->text(0), topText);

    w->action("トップを「デスクトップ」に戻す")->trigger();
    EXPECT_EQ(tree->topFolder(), "/");
}

// A presenter that records what the window asks of it.
class RecordingPresenter : public DetailPresenter {
  public:
    void drawingLoaded() override {
        ++loads;
        pictureSize = host_->detailView().size();
        lines = host_->drawing().LineAry.size();
        if (fail) throw std::runtime_error("pass failed");
        host_->detailView().clearCanvas();
    }
    void viewSelected(int index, const std::string& name) override {
        views.push_back(std::to_string(index) + ":" + name);
    }
    void layerChecksChanged(const LayerChecks& checks) override { lastChecks = checks; }
    void textChosen(std::size_t index) override { texts.push_back(index); }
    void colorModeChanged() override { colorModes.push_back(host_->colorMode()); }
    void clearCrossHair() override { ++crossHairClears; }
    bool wheelTurned(QPoint pixel, int steps) override {
        wheelSteps += steps;
        return true;
    }

    int loads = 0;
    QSize pictureSize;
    std::size_t lines = 0;
    bool fail = false;
    std::vector<std::string> views;
    LayerChecks lastChecks;
    std::vector<std::size_t> texts;
    std::vector<int> colorModes;
    int crossHairClears = 0;
    int wheelSteps = 0;
};

TEST(MainWindow, ThePresenterGetsTheLoadedDrawingAndThePanelEvents) {
    WindowHarness h;
    test::TempDir folder;
    folder.write("plan.dxf", PlanDrawing());
    folder.write("z.dxf", SmallDrawing("0"));
    RecordingPresenter presenter;
    auto w = h.open();
    w->setDetailPresenter(&presenter);
    w->tabs()->setCurrentIndex(MainWindow::DetailTab);
    w->showFolder(Path(folder));
    EXPECT_EQ(presenter.loads, 1);
    EXPECT_EQ(presenter.lines, 1u);

    QComboBox* views = w->sidePanel()->viewSelector();
    views->setCurrentIndex(1);
    emit views->activated(1);
    EXPECT_EQ(presenter.views, (std::vector<std::string>{"1:Front"}));

    w->sidePanel()->layerList()->item(0)->setCheckState(Qt::Checked);
    EXPECT_EQ(presenter.lastChecks, (LayerChecks{{"Doors", true}, {"walls", true}}));

    // Texts are listed sorted; a click reports the text's own index in the drawing.
    QListView* list = w->sidePanel()->textList();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualRect(list->model()->index(2, 0)).center());
    EXPECT_EQ(presenter.texts, (std::vector<std::size_t>{3}));

    QWheelEvent wheel(QPointF(20, 20), w->detailView().mapToGlobal(QPointF(20, 20)), {}, {0, 240},
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(&w->detailView(), &wheel);
    EXPECT_EQ(presenter.wheelSteps, 2);
    EXPECT_GT(presenter.crossHairClears, 0);

    w->action("モノクロ表示")->trigger();
    w->action("モノクロ表示")->trigger();
    EXPECT_EQ(presenter.colorModes, (std::vector<int>{1, 0}));

    // A presenter failure is a load failure.
    presenter.fail = true;
    w->fileList()->table()->setCurrentCell(1, 0);
    ASSERT_EQ(h.dialogs.messages.size(), 1u);
    EXPECT_EQ(h.dialogs.messages[0].caption, "情報");
}

TEST(MainWindow, ADropOnThePreviewTabRendersAtTheDetailViewsSize) {
    WindowHarness h;
    test::TempDir folder;
    folder.write("a.dxf", SmallDrawing("a"));
    RecordingPresenter presenter;
    auto w = h.open();
    w->setDetailPresenter(&presenter);
    ASSERT_EQ(w->tabs()->currentIndex(), MainWindow::PreviewTab);
    w->dropFiles({Path(folder, "a.dxf")});
    ASSERT_EQ(presenter.loads, 1);
    ProcessEvents();
    EXPECT_EQ(presenter.pictureSize, w->detailView().size());
    EXPECT_GT(presenter.pictureSize.width(), 100);
}

TEST(MainWindow, CommandLineDrawingMayBeAFileUri) {
    // As a file manager passes it: percent-encoded, Japanese and a space in the name.
    EXPECT_EQ(DefaultEnvironment(QStringLiteral("file:///tmp/%E5%9B%B3%E9%9D%A2%20A.dxf"))
                  .commandLineFile,
              QStringLiteral("/tmp/図面 A.dxf"));
    EXPECT_EQ(DefaultEnvironment(QStringLiteral("/tmp/plan%20x.dxf")).commandLineFile,
              QStringLiteral("/tmp/plan%20x.dxf"))
        << "a path is taken as it stands";
    EXPECT_EQ(DefaultEnvironment(QStringLiteral("file:plan.dxf")).commandLineFile,
              QDir::current().absoluteFilePath(QStringLiteral("plan.dxf")));
    EXPECT_TRUE(DefaultEnvironment(QString()).commandLineFile.isEmpty());
}

} // namespace
} // namespace orvanta
