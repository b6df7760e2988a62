<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<!-- The window's texts are written in Japanese in the code; this is their English translation,
     kept by hand: the texts are passed through helpers, which lupdate cannot follow. -->
<TS version="2.1" language="en_US" sourcelanguage="ja_JP">
<context>
    <name>MainWindow</name>
    <message>
        <source>ファイル</source>
        <translation>File</translation>
    </message>
    <message>
        <source>一括処理</source>
        <translation>Batch</translation>
    </message>
    <message>
        <source>印刷</source>
        <translation>Print</translation>
    </message>
    <message>
        <source>挿入</source>
        <translation>Insert</translation>
    </message>
    <message>
        <source>表示</source>
        <translation>View</translation>
    </message>
    <message>
        <source>ヘルプ</source>
        <translation>Help</translation>
    </message>
    <message>
        <source> 一覧</source>
        <translation> Previews</translation>
    </message>
    <message>
        <source> 詳細</source>
        <translation> Detail</translation>
    </message>
    <message>
        <source>現フォルダを履歴に追加</source>
        <translation>Add Current Folder to History</translation>
    </message>
    <message>
        <source>現フォルダを履歴から削除</source>
        <translation>Remove Current Folder from History</translation>
    </message>
    <message>
        <source>WMF/EMF・BMP作成</source>
        <translation>Export WMF/EMF/BMP</translation>
    </message>
    <message>
        <source>終了</source>
        <translation>Quit</translation>
    </message>
    <message>
        <source>一覧用イメージ作成</source>
        <translation>Make Preview Images</translation>
    </message>
    <message>
        <source>一覧用イメージ削除</source>
        <translation>Delete Preview Images</translation>
    </message>
    <message>
        <source>DXFバージョン取得</source>
        <translation>Read DXF Versions</translation>
    </message>
    <message>
        <source>取り消し</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>一覧を印刷</source>
        <translation>Print Previews</translation>
    </message>
    <message>
        <source>詳細を印刷</source>
        <translation>Print Detail</translation>
    </message>
    <message>
        <source>一括PDF</source>
        <translation>Folder to PDF</translation>
    </message>
    <message>
        <source>文字コード</source>
        <translation>Text Encoding</translation>
    </message>
    <message>
        <source>自動</source>
        <translation>Automatic</translation>
    </message>
    <message>
        <source>AutoCAD / LT (2014~2017) へブロック挿入</source>
        <translation>Insert as Block into AutoCAD / LT (2014~2017)</translation>
    </message>
    <message>
        <source>AutoCAD / LT (2014~2017) へ分解挿入</source>
        <translation>Insert Exploded into AutoCAD / LT (2014~2017)</translation>
    </message>
    <message>
        <source>Bricscad V13 へブロック挿入</source>
        <translation>Insert as Block into Bricscad V13</translation>
    </message>
    <message>
        <source>モノクロ表示</source>
        <translation>Monochrome</translation>
    </message>
    <message>
        <source>線の太さを表示</source>
        <translation>Show Lineweights</translation>
    </message>
    <message>
        <source>画像が見つかりません: %1</source>
        <translation>Images not found: %1</translation>
    </message>
    <message>
        <source>表示できないレイアウト %1 件・ビューポート %2 件</source>
        <translation>Layouts not shown: %1, viewports not shown: %2</translation>
    </message>
    <message>
        <source>外部参照が見つかりません: %1</source>
        <translation>External references not found: %1</translation>
    </message>
    <message>
        <source>常にモデルで開く</source>
        <translation>Always Open in Model</translation>
    </message>
    <message>
        <source>モデル</source>
        <translation>Model</translation>
    </message>
    <message>
        <source>一覧イメージサイズ</source>
        <translation>Preview Size</translation>
    </message>
    <message>
        <source>200 x 160</source>
        <translation>200 x 160</translation>
    </message>
    <message>
        <source>160 x 130</source>
        <translation>160 x 130</translation>
    </message>
    <message>
        <source>100 x  88</source>
        <translation>100 x  88</translation>
    </message>
    <message>
        <source> 80 x  76</source>
        <translation> 80 x  76</translation>
    </message>
    <message>
        <source>フォルダツリービュー非表示</source>
        <translation>Hide Folder Tree</translation>
    </message>
    <message>
        <source>ファイルリスト非表示</source>
        <translation>Hide File List</translation>
    </message>
    <message>
        <source>画層・文字列非表示</source>
        <translation>Hide Layers and Texts</translation>
    </message>
    <message>
        <source>ツリービューのトップを「デスクトップ」に戻す</source>
        <translation>Reset Folder Tree Top to “Desktop”</translation>
    </message>
    <message>
        <source>ツリービューのトップを「現フォルダ」に</source>
        <translation>Set Folder Tree Top to Current Folder</translation>
    </message>
    <message>
        <source>ツリービューのトップを「デスクトップ」に（次回起動時も）</source>
        <translation>Reset Folder Tree Top to “Desktop” (Also Next Time)</translation>
    </message>
    <message>
        <source>ツリービューのトップを「現フォルダ」に（次回起動時も）</source>
        <translation>Set Folder Tree Top to Current Folder (Also Next Time)</translation>
    </message>
    <message>
        <source>TeighaFileConverter.exe を登録</source>
        <translation>Register TeighaFileConverter.exe</translation>
    </message>
    <message>
        <source>変換中 TeighaFileConverter を表示</source>
        <translation>Show TeighaFileConverter While Converting</translation>
    </message>
    <message>
        <source>バージョン情報</source>
        <translation>About</translation>
    </message>
    <message>
        <source>トップを「デスクトップ」に戻す</source>
        <translation>Reset Top to “Desktop”</translation>
    </message>
    <message>
        <source>トップを現フォルダに</source>
        <translation>Set Top to Current Folder</translation>
    </message>
    <message>
        <source>すべてのファイル (*)</source>
        <translation>All files (*)</translation>
    </message>
    <message>
        <source>ファイルは1つずつドラッグしてください。</source>
        <translation>Please drag one file at a time.</translation>
    </message>
    <message>
        <source>警告</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source> 読み込みエラーです</source>
        <translation> could not be read</translation>
    </message>
    <message>
        <source>情報</source>
        <translation>Information</translation>
    </message>
    <message>
        <source>DXFファイル検索中 ... </source>
        <translation>Searching for DXF files ... </translation>
    </message>
    <message>
        <source>DXFファイル取得数 = </source>
        <translation>DXF files found = </translation>
    </message>
    <message>
        <source>DWG-&gt;DXF変換中 ... </source>
        <translation>Converting DWG-&gt;DXF ... </translation>
    </message>
    <message>
        <source>DXF-&gt;DXF 変換中 ... </source>
        <translation>Converting DXF-&gt;DXF ... </translation>
    </message>
    <message>
        <source>イメージ作成中 ... 0 / %1</source>
        <translation>Making previews ... 0 / %1</translation>
    </message>
    <message>
        <source>イメージ作成中 ... %1 / %2</source>
        <translation>Making previews ... %1 / %2</translation>
    </message>
    <message>
        <source>%1 個のファイルが読み込みエラーです</source>
        <translation>%1 files could not be read</translation>
    </message>
    <message>
        <source>&#xd;ほか %1 件</source>
        <translation>&#xd;and %1 more</translation>
    </message>
    <message>
        <source>一覧イメージが作成されていません．</source>
        <translation>The previews have not been made.</translation>
    </message>
    <message>
        <source>DXFファイルと同じフォルダ内に、すべてのBMPファイルを作成します．よろしいですか？</source>
        <translation>A BMP file will be made for every DXF file, in its folder. Continue?</translation>
    </message>
    <message>
        <source>BMPファイル保存中 ... %1 / %2</source>
        <translation>Saving BMP files ... %1 / %2</translation>
    </message>
    <message>
        <source>BMPファイルを作成しました．</source>
        <translation>The BMP files have been made.</translation>
    </message>
    <message>
        <source>中止しました．</source>
        <translation>Cancelled.</translation>
    </message>
    <message>
        <source>DXFファイルと同じフォルダ内のすべてのBMPファイルを削除します．よろしいですか？</source>
        <translation>Every BMP file in the DXF files' folder will be deleted. Continue?</translation>
    </message>
    <message>
        <source>BMPファイル削除中 ... %1</source>
        <translation>Deleting BMP files ... %1</translation>
    </message>
    <message>
        <source>BMPファイルを削除しました．</source>
        <translation>The BMP files have been deleted.</translation>
    </message>
    <message>
        <source>削除するBMPファイルはありません．</source>
        <translation>There are no BMP files to delete.</translation>
    </message>
    <message>
        <source>バージョン取得中 ... %1 / %2</source>
        <translation>Reading versions ... %1 / %2</translation>
    </message>
    <message>
        <source>&#xa;パスが長すぎるため挿入できません</source>
        <translation>&#xa;The path is too long to insert</translation>
    </message>
    <message>
        <source>DXFファイルは使用中です．</source>
        <translation>The DXF file is in use.</translation>
    </message>
    <message>
        <source> 検索</source>
        <translation> Search</translation>
    </message>
    <message>
        <source>検索は使えません</source>
        <translation>Search is unavailable</translation>
    </message>
    <message>
        <source>索引作成中 ... %1 / %2</source>
        <translation>Indexing ... %1 / %2</translation>
    </message>
    <message>
        <source>索引: %1 図面 (読めない図面 %2)</source>
        <translation>Index: %1 drawings (%2 unreadable)</translation>
    </message>
    <message>
        <source>索引: %1 図面</source>
        <translation>Index: %1 drawings</translation>
    </message>
    <message>
        <source>検索用の索引が壊れていたため、作り直します。
元の索引は次の名前で残しました:
</source>
        <translation>The search index was damaged and is being made anew.
The damaged index was kept as:
</translation>
    </message>
    <message>
        <source>検索は使えません: </source>
        <translation>Search is unavailable: </translation>
    </message>
    <message>
        <source>%1 の図面の文字を検索します</source>
        <translation>Searches the texts of the drawings in %1</translation>
    </message>
    <message>
        <source>索引作成中 ...</source>
        <translation>Indexing ...</translation>
    </message>
</context>
<context>
    <name>SidePanel</name>
    <message>
        <source>点滅表示</source>
        <translation>Blink</translation>
    </message>
    <message>
        <source>画層</source>
        <translation>Layers</translation>
    </message>
    <message>
        <source>文字列</source>
        <translation>Texts</translation>
    </message>
</context>
<context>
    <name>PrintWindow</name>
    <message>
        <source>横</source>
        <comment>orientation</comment>
        <translation>Landscape</translation>
    </message>
    <message>
        <source>縦</source>
        <comment>orientation</comment>
        <translation>Portrait</translation>
    </message>
    <message>
        <source>一覧印刷</source>
        <translation>Print Previews</translation>
    </message>
    <message>
        <source>詳細印刷</source>
        <translation>Print Detail</translation>
    </message>
    <message>
        <source>プリンター</source>
        <translation>Printer</translation>
    </message>
    <message>
        <source>セットアップ</source>
        <translation>Setup</translation>
    </message>
    <message>
        <source>分割</source>
        <translation>Division</translation>
    </message>
    <message>
        <source>横</source>
        <translation>Across</translation>
    </message>
    <message>
        <source>縦</source>
        <translation>Down</translation>
    </message>
    <message>
        <source>全</source>
        <translation>Total</translation>
    </message>
    <message>
        <source>出力範囲</source>
        <translation>Range</translation>
    </message>
    <message>
        <source>全体</source>
        <translation>Whole Drawing</translation>
    </message>
    <message>
        <source>現画面</source>
        <translation>Current View</translation>
    </message>
    <message>
        <source>色</source>
        <translation>Colour</translation>
    </message>
    <message>
        <source>カラー</source>
        <translation>Colour</translation>
    </message>
    <message>
        <source>黒</source>
        <translation>Black</translation>
    </message>
    <message>
        <source>カラー反転</source>
        <translation>Inverted Colour</translation>
    </message>
    <message>
        <source>中止</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>PDF ファイル</source>
        <translation>PDF file</translation>
    </message>
    <message>
        <source>PDF ファイルに印刷</source>
        <translation>Print to PDF File</translation>
    </message>
    <message>
        <source>&#xd;は既に存在します．上書きしますか？</source>
        <translation>&#xd;already exists. Overwrite it?</translation>
    </message>
    <message>
        <source>確認</source>
        <translation>Confirm</translation>
    </message>
    <message>
        <source>メモリが足りません</source>
        <translation>Not enough memory</translation>
    </message>
    <message>
        <source>%1 件の図面は印刷できませんでした (空の枠で印刷):</source>
        <translation>%1 drawings could not be printed (printed as empty frames):</translation>
    </message>
    <message>
        <source>一括PDF</source>
        <translation>Folder to PDF</translation>
    </message>
    <message>
        <source>縮尺</source>
        <translation>Scale</translation>
    </message>
    <message>
        <source>用紙に合わせる</source>
        <translation>Fit to Paper</translation>
    </message>
    <message>
        <source>レイアウトの用紙と縮尺</source>
        <translation>Layout's Paper and Scale</translation>
    </message>
    <message>
        <source>出力</source>
        <translation>Output</translation>
    </message>
    <message>
        <source>一つのPDF</source>
        <translation>One PDF</translation>
    </message>
    <message>
        <source>図面ごとのPDF</source>
        <translation>A PDF per Drawing</translation>
    </message>
    <message>
        <source>範囲の %1 % が用紙に入ります</source>
        <translation>%1 % of the range fits on the paper</translation>
    </message>
    <message>
        <source>PDF ファイルの保存先</source>
        <translation>Folder for the PDF Files</translation>
    </message>
    <message>
        <source>%1 個の PDF ファイルが既に存在します (%2 など)．上書きしますか？</source>
        <translation>%1 PDF files already exist (%2 and others). Overwrite them?</translation>
    </message>
    <message>
        <source>%1 件の図面は PDF にできませんでした:</source>
        <translation>%1 drawings could not be written to PDF:</translation>
    </message>
    <message>
        <source>印刷スタイル</source>
        <translation>Plot Style</translation>
    </message>
    <message>
        <source>参照...</source>
        <translation>Browse...</translation>
    </message>
    <message>
        <source>印刷スタイル (*.ctb)</source>
        <translation>Plot style tables (*.ctb)</translation>
    </message>
    <message>
        <source>すべて (*)</source>
        <translation>All files (*)</translation>
    </message>
</context>
<context>
    <name>AboutBox</name>
    <message>
        <source>バージョン情報</source>
        <translation>About</translation>
    </message>
</context>
<context>
    <name>Dialogs</name>
    <message>
        <source>中止</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>DrawingPresenter</name>
    <message>
        <source>円半径 = </source>
        <translation>Circle radius = </translation>
    </message>
    <message>
        <source>円弧半径 = </source>
        <translation>Arc radius = </translation>
    </message>
    <message>
        <source>長さ = </source>
        <translation>Length = </translation>
    </message>
    <message>
        <source> 相互距離 = </source>
        <translation> Distance between = </translation>
    </message>
</context>
<context>
    <name>PreviewGrid</name>
    <message>
        <source>読み込みエラー: </source>
        <translation>Read error: </translation>
    </message>
</context>
<context>
    <name>ExportWindow</name>
    <message>
        <source>画像保存</source>
        <translation>Save Image</translation>
    </message>
    <message>
        <source>拡張子が.BMPではありません．変更しますか？ </source>
        <translation>The extension is not .BMP. Change it? </translation>
    </message>
    <message>
        <source>拡張子が.WMF / .EMFではありません．変更しますか？ </source>
        <translation>The extension is not .WMF / .EMF. Change it? </translation>
    </message>
    <message>
        <source>同名のファイルが存在します．上書きしますか？ </source>
        <translation>A file of that name exists. Overwrite it? </translation>
    </message>
    <message>
        <source>画像ファイルを保存できませんでした．</source>
        <translation>The image file could not be saved.</translation>
    </message>
    <message>
        <source>画像をクリップボードにコピーできませんでした．</source>
        <translation>The image could not be copied to the clipboard.</translation>
    </message>
    <message>
        <source>黒</source>
        <translation>Black</translation>
    </message>
    <message>
        <source>栗色</source>
        <translation>Maroon</translation>
    </message>
    <message>
        <source>緑</source>
        <translation>Green</translation>
    </message>
    <message>
        <source>オリーブ</source>
        <translation>Olive</translation>
    </message>
    <message>
        <source>紺</source>
        <translation>Navy</translation>
    </message>
    <message>
        <source>紫</source>
        <translation>Purple</translation>
    </message>
    <message>
        <source>青緑</source>
        <translation>Teal</translation>
    </message>
    <message>
        <source>灰色</source>
        <translation>Grey</translation>
    </message>
    <message>
        <source>銀色</source>
        <translation>Silver</translation>
    </message>
    <message>
        <source>赤</source>
        <translation>Red</translation>
    </message>
    <message>
        <source>ライム</source>
        <translation>Lime</translation>
    </message>
    <message>
        <source>黄</source>
        <translation>Yellow</translation>
    </message>
    <message>
        <source>青</source>
        <translation>Blue</translation>
    </message>
    <message>
        <source>赤紫</source>
        <translation>Fuchsia</translation>
    </message>
    <message>
        <source>水色</source>
        <translation>Aqua</translation>
    </message>
    <message>
        <source>白</source>
        <translation>White</translation>
    </message>
    <message>
        <source>画像</source>
        <translation>Image</translation>
    </message>
    <message>
        <source>サイズ</source>
        <translation>Size</translation>
    </message>
    <message>
        <source>現サイズ</source>
        <translation>Current size</translation>
    </message>
    <message>
        <source>指定サイズ</source>
        <translation>Given size</translation>
    </message>
    <message>
        <source>色</source>
        <translation>Colour</translation>
    </message>
    <message>
        <source>カラー</source>
        <translation>Colour</translation>
    </message>
    <message>
        <source>白黒</source>
        <translation>Black and white</translation>
    </message>
    <message>
        <source>カラー反転</source>
        <translation>Inverted Colour</translation>
    </message>
    <message>
        <source>背景色</source>
        <translation>Background</translation>
    </message>
    <message>
        <source>なし</source>
        <translation>None</translation>
    </message>
    <message>
        <source>範囲</source>
        <translation>Range</translation>
    </message>
    <message>
        <source>現表示</source>
        <translation>Current view</translation>
    </message>
    <message>
        <source>全図形</source>
        <translation>Whole drawing</translation>
    </message>
    <message>
        <source>ペンサイズ</source>
        <translation>Pen size</translation>
    </message>
    <message>
        <source>クリップボードにコピー</source>
        <translation>Copy to Clipboard</translation>
    </message>
    <message>
        <source>ファイルに保存</source>
        <translation>Save to File</translation>
    </message>
</context>
<context>
    <name>SearchPanel</name>
    <message>
        <source>図面の文字を検索 (Ctrl+F)</source>
        <translation>Search the drawings' texts (Ctrl+F)</translation>
    </message>
    <message>
        <source>サブフォルダも含める</source>
        <translation>Include subfolders</translation>
    </message>
    <message>
        <source>一覧を該当図面にしぼる</source>
        <translation>Show only matching drawings</translation>
    </message>
    <message>
        <source>図面 / 文字</source>
        <translation>Drawing / text</translation>
    </message>
    <message>
        <source>種類</source>
        <translation>Kind</translation>
    </message>
    <message>
        <source>画層</source>
        <translation>Layer</translation>
    </message>
    <message>
        <source>レイアウト</source>
        <translation>Layout</translation>
    </message>
    <message>
        <source>ファイル名</source>
        <translation>File name</translation>
    </message>
    <message>
        <source>文字</source>
        <translation>Text</translation>
    </message>
    <message>
        <source>マルチテキスト</source>
        <translation>Multiline text</translation>
    </message>
    <message>
        <source>属性</source>
        <translation>Attribute</translation>
    </message>
    <message>
        <source>寸法</source>
        <translation>Dimension</translation>
    </message>
    <message>
        <source>マルチ引出線</source>
        <translation>Multileader</translation>
    </message>
    <message>
        <source>ブロック名</source>
        <translation>Block name</translation>
    </message>
    <message>
        <source>画層名</source>
        <translation>Layer name</translation>
    </message>
    <message>
        <source>モデル</source>
        <translation>Model</translation>
    </message>
    <message>
        <source>見つかりません</source>
        <translation>Not found</translation>
    </message>
    <message>
        <source>%1 図面、%2 件</source>
        <translation>%1 drawings, %2 texts</translation>
    </message>
    <message>
        <source> (先頭 %1 件を表示)</source>
        <translation> (the first %1 shown)</translation>
    </message>
</context>
</TS>
