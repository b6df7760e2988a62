<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<!-- The window's texts are written in Japanese in the code; this is their English translation,
     kept by hand: the menu items are passed through one helper, which lupdate cannot follow. -->
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
</context>
</TS>
