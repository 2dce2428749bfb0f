<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>AppSession</name>
    <message>
        <source>画像ドロップ待機中</source>
        <translation>Waiting for images to be dropped</translation>
    </message>
    <message>
        <source>保存済みの画像の索引を使えません: %1</source>
        <translation>The index of saved images cannot be used: %1</translation>
    </message>
    <message>
        <source>ケルボを終了しますか？</source>
        <translation>Quit Kelvo?</translation>
    </message>
    <message>
        <source>ファイル %1 を作成できません</source>
        <translation>Cannot create the file %1</translation>
    </message>
    <message>
        <source>kelvo capture から画像を受け取れません。%1</source>
        <translation>Images from kelvo capture cannot be received. %1</translation>
    </message>
</context>
<context>
    <name>CaptureCollection</name>
    <message>
        <source>似た画像を保存済み: %1/%2 (%3)</source>
        <translation>A similar image was saved before: %1/%2 (%3)</translation>
    </message>
</context>
<context>
    <name>CaptureLog</name>
    <message>
        <source>ファイル名</source>
        <translation>File name</translation>
    </message>
    <message>
        <source>取得日時</source>
        <translation>Captured</translation>
    </message>
    <message>
        <source>識別名</source>
        <translation>Destination</translation>
    </message>
    <message>
        <source>取得元アドレス</source>
        <translation>Source address</translation>
    </message>
    <message>
        <source>保存先フォルダ</source>
        <translation>Folder</translation>
    </message>
</context>
<context>
    <name>CapturePipeline</name>
    <message>
        <source>を保存しました。</source>
        <translation>Saved.</translation>
    </message>
    <message>
        <source>を上書き保存しました。</source>
        <translation>Saved over the existing file.</translation>
    </message>
    <message>
        <source>に改名し保存しました。</source>
        <translation>Saved under a new name.</translation>
    </message>
    <message>
        <source>ページのアドレスを記録するには、ブラウザに拡張機能を入れてください（設定 → その他）。</source>
        <translation>To record the page&apos;s address, add Kelvo&apos;s extension to the browser (Settings → Other).</translation>
    </message>
    <message>
        <source>ドロップされたものに画像ファイルも画像データも含まれていません。</source>
        <translation>The drop holds neither an image file nor image data.</translation>
    </message>
    <message>
        <source>
存在するフォルダを設定してください。</source>
        <translation>
Choose a folder that exists.</translation>
    </message>
    <message>
        <source>同じ画像を保存済みのため保存しませんでした。</source>
        <translation>Not saved: the same image was saved before.</translation>
    </message>
    <message>
        <source>取得元のアドレスをファイルに記録できませんでした。</source>
        <translation>The source address could not be recorded on the file.</translation>
    </message>
    <message>
        <source>%1 は通常のファイルではないため保存しません。</source>
        <translation>%1 is not a regular file, so it is not saved.</translation>
    </message>
    <message>
        <source>ファイル %1 を保存できません。</source>
        <translation>Cannot save the file %1.</translation>
    </message>
    <message>
        <source>%1 画像取得</source>
        <translation>Captured: %1</translation>
    </message>
    <message>
        <source>ファイル オープンエラー</source>
        <translation>File open error</translation>
    </message>
    <message>
        <source>%1 に書き込めません</source>
        <translation>Cannot write to %1</translation>
    </message>
</context>
<context>
    <name>CaptureRename</name>
    <message>
        <source>拡張子の変更は出来ません。</source>
        <translation>The extension cannot be changed.</translation>
    </message>
    <message>
        <source>%1 はファイル名に使えません。</source>
        <translation>%1 cannot be used as a file name.</translation>
    </message>
    <message>
        <source>%1 は既に存在します。</source>
        <translation>%1 already exists.</translation>
    </message>
    <message>
        <source>保存先フォルダに選択ファイルが存在しません。</source>
        <translation>The selected file is not in its destination folder.</translation>
    </message>
    <message>
        <source>%1 の名前を変更できません。</source>
        <translation>Cannot rename %1.</translation>
    </message>
    <message>
        <source>%1 に書き込めません</source>
        <translation>Cannot write to %1</translation>
    </message>
    <message>
        <source>%1 に読めない行があるため、ファイル名を変更できません。</source>
        <translation>%1 has lines that cannot be read, so the file cannot be renamed.</translation>
    </message>
</context>
<context>
    <name>CurrentDestination</name>
    <message>
        <source>保存先フォルダ %1 が存在しません。</source>
        <translation>The destination folder %1 does not exist.</translation>
    </message>
</context>
<context>
    <name>DestinationCommands</name>
    <message>
        <source>改行などの制御文字を名前に含むフォルダは保存先にできません。別のフォルダを選んでください。</source>
        <translation>A folder whose name holds a line break or another control character cannot be a destination. Choose another folder.</translation>
    </message>
    <message>
        <source>保存先情報の追加</source>
        <translation>Add Destination</translation>
    </message>
    <message>
        <source>同一識別名（%1）が存在する為、追加出来ません。修正しますか？</source>
        <translation>A destination named %1 already exists, so this one cannot be added. Change it?</translation>
    </message>
    <message>
        <source>保存先情報の編集</source>
        <translation>Edit Destination</translation>
    </message>
    <message>
        <source>同一識別名（%1）が存在する為、編集出来ません。修正しますか？</source>
        <translation>A destination named %1 already exists, so the change cannot be kept. Change it?</translation>
    </message>
    <message>
        <source>保存先は最低１つ必要な為
削除出来ません。</source>
        <translation>At least one destination is needed,
so this one cannot be deleted.</translation>
    </message>
    <message>
        <source>識別情報（%1）を削除します。よろしいですか？</source>
        <translation>Delete the destination %1?</translation>
    </message>
    <message>
        <source>識別名と保存先フォルダに改行などの制御文字は使えません。修正しますか？</source>
        <translation>The name and the folder cannot hold line breaks or other control characters. Change them?</translation>
    </message>
</context>
<context>
    <name>DestinationFiles</name>
    <message>
        <source>%1 を保存先の一覧として読み込めません。ファイルはそのまま残し、保存先を変更するまで書き込みません。</source>
        <translation>%1 cannot be read as the destination list. The file is kept as it is and not written until the destinations change.</translation>
    </message>
    <message>
        <source>%1 の %2 行目の階層が正しくありません。</source>
        <translation>The level of line %2 of %1 is wrong.</translation>
    </message>
    <message>
        <source>ファイル %1 を作成できません</source>
        <translation>Cannot create the file %1</translation>
    </message>
</context>
<context>
    <name>DisplayChoice</name>
    <message>
        <source>Wayland では最前面表示はデスクトップが決めます（ウィンドウメニューで常に手前に固定できます）。</source>
        <translation>On Wayland the desktop decides which window stays on top (the window menu can keep this one above the others).</translation>
    </message>
</context>
<context>
    <name>FileFacts</name>
    <message>
        <source>%1ﾊﾞｲﾄ</source>
        <translation>%1 bytes</translation>
    </message>
</context>
<context>
    <name>HistoryActions</name>
    <message>
        <source>http と https 以外のアドレスは開けません。</source>
        <translation>Only http and https addresses can be opened.</translation>
    </message>
    <message>
        <source>ファイル名の変更</source>
        <translation>Rename File</translation>
    </message>
    <message>
        <source>新しいファイル名</source>
        <translation>New file name</translation>
    </message>
</context>
<context>
    <name>LineCommands</name>
    <message numerus="yes">
        <source> (%n 日分)</source>
        <translation>
            <numerusform> (%n day)</numerusform>
            <numerusform> (%n days)</numerusform>
        </translation>
    </message>
    <message>
        <source>履歴と画像閲覧</source>
        <translation>History</translation>
    </message>
    <message>
        <source>列挙中...%1</source>
        <translation>Listing...%1</translation>
    </message>
    <message numerus="yes">
        <source>%n 個の履歴情報</source>
        <translation>
            <numerusform>%n capture</numerusform>
            <numerusform>%n captures</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>検索中...%n 個</source>
        <translation>
            <numerusform>Searching...%n found</numerusform>
            <numerusform>Searching...%n found</numerusform>
        </translation>
    </message>
    <message>
        <source>全期間を検索</source>
        <translation>Searching every day</translation>
    </message>
    <message>
        <source>ドロップしたファイルの取得履歴はありません。</source>
        <translation>The history has no capture of the dropped files.</translation>
    </message>
    <message>
        <source>同じ画像・似た画像は見つかりませんでした（索引の作成中なら、しばらくしてから）。</source>
        <translation>No same or similar image was found (while the index is being made, try again in a while).</translation>
    </message>
    <message numerus="yes">
        <source>読めない履歴ファイルが %n 個あります。</source>
        <translation>
            <numerusform>%n history file cannot be read.</numerusform>
            <numerusform>%n history files cannot be read.</numerusform>
        </translation>
    </message>
    <message>
        <source>保存先フォルダに選択ファイルが存在しません。</source>
        <translation>The selected file is not in its destination folder.</translation>
    </message>
</context>
<context>
    <name>PasteIntake</name>
    <message>
        <source>クリップボードに貼り付けられる画像がありません。</source>
        <translation>The clipboard holds no image to paste.</translation>
    </message>
    <message>
        <source>%1 から画像を取得できません。</source>
        <translation>Cannot get an image from %1.</translation>
    </message>
    <message>
        <source>%1 は画像ではありません。</source>
        <translation>%1 is not an image.</translation>
    </message>
    <message>
        <source>%1 に画像を置けません。</source>
        <translation>Cannot put the image in %1.</translation>
    </message>
</context>
<context>
    <name>PictureDecoder</name>
    <message>
        <source>対応していない種類のファイルです</source>
        <translation>This kind of file is not supported</translation>
    </message>
    <message>
        <source>%1 の画像を読むための部品が見つかりません</source>
        <translation>The %1 image decoder was not found</translation>
    </message>
    <message>
        <source>大きすぎる画像です（%1 x %2）</source>
        <translation>The image is too large (%1 x %2)</translation>
    </message>
</context>
<context>
    <name>PictureLoader</name>
    <message>
        <source>画像を読み込めません（%1）</source>
        <translation>Cannot load the image (%1)</translation>
    </message>
</context>
<context>
    <name>ProgramName</name>
    <message>
        <source>ケルボ</source>
        <translation>Kelvo</translation>
    </message>
</context>
<context>
    <name>QtPrompter</name>
    <message>
        <source>名前を変更して保存してください。</source>
        <translation>Save under another name.</translation>
    </message>
    <message>
        <source>画像ファイル (*.jpg *.jpeg *.bmp *.gif *.png *.webp *.avif)</source>
        <translation>Image files (*.jpg *.jpeg *.bmp *.gif *.png *.webp *.avif)</translation>
    </message>
</context>
<context>
    <name>SettingsFile</name>
    <message>
        <source>%1 に書き込めません</source>
        <translation>Cannot write to %1</translation>
    </message>
    <message>
        <source>%1 を読み込めません。既定の設定で始め、ファイルはそのまま残して書き込みません。</source>
        <translation>Cannot read %1. Kelvo starts with the default settings and keeps the file as it is, without writing it.</translation>
    </message>
</context>
<context>
    <name>kelvo::DestinationActions</name>
    <message>
        <source>追加</source>
        <translation>Add</translation>
    </message>
    <message>
        <source>保存先情報を追加します</source>
        <translation>Add a destination</translation>
    </message>
    <message>
        <source>編集</source>
        <translation>Edit</translation>
    </message>
    <message>
        <source>保存先情報を編集します</source>
        <translation>Edit the destination</translation>
    </message>
    <message>
        <source>削除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>保存先情報を削除します</source>
        <translation>Delete the destination</translation>
    </message>
</context>
<context>
    <name>kelvo::DestinationList</name>
    <message>
        <source>識別名</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>保存先フォルダ</source>
        <translation>Folder</translation>
    </message>
</context>
<context>
    <name>kelvo::DestinationPage</name>
    <message>
        <source>選択フォルダがデフォルト保存先になります</source>
        <translation>The selected folder becomes the destination</translation>
    </message>
</context>
<context>
    <name>kelvo::DestinationTreePane</name>
    <message>
        <source>保存先一覧</source>
        <translation>Destinations</translation>
    </message>
    <message>
        <source>ドロップした画像は選ばれている保存先フォルダに保存されます</source>
        <translation>Dropped images are saved in the selected destination&apos;s folder</translation>
    </message>
    <message>
        <source>保存先情報</source>
        <translation>Destination</translation>
    </message>
</context>
<context>
    <name>kelvo::HistoryListModel</name>
    <message>
        <source>日付</source>
        <translation>Day</translation>
    </message>
</context>
<context>
    <name>kelvo::HistoryTree</name>
    <message>
        <source>%1 を読み込めません。</source>
        <translation>Cannot read %1.</translation>
    </message>
    <message>
        <source>%1 の %2 行目の階層が正しくありません。</source>
        <translation>The level of line %2 of %1 is wrong.</translation>
    </message>
    <message>
        <source>%1ファイルはそのまま残し、履歴は Logs フォルダから補います。</source>
        <translation>%1 The file is kept as it is, and the history is filled in from the Logs folder.</translation>
    </message>
</context>
<context>
    <name>kelvo::PreviewPair</name>
    <message>
        <source>ダブルクリックで実サイズ表示</source>
        <translation>Double-click to show it at full size</translation>
    </message>
</context>
<context>
    <name>kelvo::SameContentDialog</name>
    <message>
        <source>取得日時</source>
        <translation>Captured</translation>
    </message>
    <message>
        <source>保存先</source>
        <translation>Destination</translation>
    </message>
    <message>
        <source>取得元</source>
        <translation>Source</translation>
    </message>
    <message>
        <source>ファイル</source>
        <translation>File</translation>
    </message>
    <message>
        <source>ファイル名</source>
        <translation>File name</translation>
    </message>
    <message>
        <source>サイズ</source>
        <translation>Size</translation>
    </message>
    <message>
        <source>同じ画像を保存済み</source>
        <translation>Saved Before</translation>
    </message>
    <message>
        <source>この画像は保存済みです。もう一度保存しますか？</source>
        <translation>This image was saved before. Save it again?</translation>
    </message>
    <message>
        <source>保存済みの画像</source>
        <translation>Saved image</translation>
    </message>
    <message>
        <source>新しい画像</source>
        <translation>New image</translation>
    </message>
    <message>
        <source>保存する</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>保存しない</source>
        <translation>Don&apos;t Save</translation>
    </message>
</context>
<context>
    <name>kelvo::TAboutBox</name>
    <message>
        <source>バージョン情報</source>
        <translation>About Kelvo</translation>
    </message>
    <message>
        <source>画像取得閲覧ツール</source>
        <translation>Collects images and shows where they came from</translation>
    </message>
    <message>
        <source>© 2026 Kelvo の開発者たち。自由に使ってください。</source>
        <translation>© 2026 the Kelvo developers. Free for anyone to use.</translation>
    </message>
</context>
<context>
    <name>kelvo::TForm1</name>
    <message>
        <source>画像ドロップ領域</source>
        <translation>Image drop area</translation>
    </message>
    <message>
        <source>ブラウザからドラッグした画像をドロップすると保存先フォルダに保存します</source>
        <translation>Drop an image dragged from the browser to save it in the destination folder</translation>
    </message>
    <message>
        <source>保存した画像のプレビュー</source>
        <translation>Preview of the saved image</translation>
    </message>
    <message>
        <source>最後に保存した画像。ダブルクリックで原寸表示</source>
        <translation>The image saved last. Double-click to show it at full size</translation>
    </message>
    <message>
        <source>保存先フォルダ</source>
        <translation>Destination folder</translation>
    </message>
    <message>
        <source>終了</source>
        <translation>Quit</translation>
    </message>
    <message>
        <source>設定</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>履歴</source>
        <translation>History</translation>
    </message>
    <message>
        <source>ヘルプ</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>オンラインヘルプ</source>
        <translation>User Guide</translation>
    </message>
    <message>
        <source>バージョン</source>
        <translation>Version</translation>
    </message>
    <message>
        <source>貼り付け</source>
        <translation>Paste</translation>
    </message>
    <message>
        <source>保存先フォルダを開く</source>
        <translation>Open Destination Folder</translation>
    </message>
    <message>
        <source>メニューを表示する</source>
        <translation>Show Menu</translation>
    </message>
    <message>
        <source>ツリービューを表示する</source>
        <translation>Show Tree View</translation>
    </message>
    <message>
        <source>ヘルプファイルが見つかりません。</source>
        <translation>The user guide cannot be found.</translation>
    </message>
    <message>
        <source>索引 %1%</source>
        <translation>Index %1%</translation>
    </message>
    <message>
        <source>保存済みの画像の索引を作成中</source>
        <translation>Indexing the saved images</translation>
    </message>
</context>
<context>
    <name>kelvo::TForm2</name>
    <message>
        <source>設定</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>保存先情報</source>
        <translation>Destinations</translation>
    </message>
    <message>
        <source>外観</source>
        <translation>Appearance</translation>
    </message>
    <message>
        <source>その他</source>
        <translation>Other</translation>
    </message>
    <message>
        <source>ＯＫ</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>メインフォーム透明度&#x3000;（ 透明表示に対応したウィンドウシステムでのみ変更可 ）</source>
        <translation>Main window transparency (only where the window system supports it)</translation>
    </message>
    <message>
        <source>ノーマル</source>
        <translation>Normal</translation>
    </message>
    <message>
        <source>透明度‐小</source>
        <translation>Low</translation>
    </message>
    <message>
        <source>透明度‐中</source>
        <translation>Medium</translation>
    </message>
    <message>
        <source>透明度‐大</source>
        <translation>High</translation>
    </message>
    <message>
        <source>表示言語</source>
        <translation>Language</translation>
    </message>
    <message>
        <source>表示言語は次回の起動から切り替わります。</source>
        <translation>The new language takes effect the next time Kelvo starts.</translation>
    </message>
    <message>
        <source>終了時</source>
        <translation>On quitting</translation>
    </message>
    <message>
        <source>確認をする。</source>
        <translation>Ask first.</translation>
    </message>
    <message>
        <source>画像の保存</source>
        <translation>Saving images</translation>
    </message>
    <message>
        <source>確認する</source>
        <translation>Ask</translation>
    </message>
    <message>
        <source>保存する</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>保存しない</source>
        <translation>Don&apos;t save</translation>
    </message>
    <message>
        <source>保存したファイルに取得元のアドレスを記録する（拡張属性）</source>
        <translation>Record the source address on saved files (extended attributes)</translation>
    </message>
    <message>
        <source>同じ画像を保存するとき:</source>
        <translation>When an image was saved before:</translation>
    </message>
    <message>
        <source>ブラウザ</source>
        <translation>Browser</translation>
    </message>
    <message>
        <source>&lt;a href=&quot;guide&quot;&gt;拡張機能の入れ方（ユーザーガイド）&lt;/a&gt;</source>
        <translation>&lt;a href=&quot;guide&quot;&gt;How to add the extension (user guide)&lt;/a&gt;</translation>
    </message>
    <message>
        <source>DevTools ポート</source>
        <translation>DevTools port</translation>
    </message>
    <message>
        <source>拡張機能がなくても、Chromium を --remote-debugging-port=ポート番号 で起動すれば記録できます。</source>
        <translation>Without the extension, page addresses are recorded when Chromium is started with --remote-debugging-port=PORT.</translation>
    </message>
    <message>
        <source>拡張機能：まだブラウザからのドロップはありません。</source>
        <translation>Extension: no drop from a browser yet.</translation>
    </message>
    <message>
        <source>拡張機能：直前のドロップに拡張機能の情報はありませんでした。</source>
        <translation>Extension: the last drop carried no note from the extension.</translation>
    </message>
    <message>
        <source>拡張機能：直前のドロップの情報は画像やページと合わず、使いませんでした。</source>
        <translation>Extension: the last drop&apos;s note did not match the image or the page, so it was not used.</translation>
    </message>
    <message>
        <source>拡張機能：直前のドロップに拡張機能の情報がありました。</source>
        <translation>Extension: the last drop carried the extension&apos;s note.</translation>
    </message>
</context>
<context>
    <name>kelvo::TForm4</name>
    <message>
        <source>保存先フォルダに同一ファイル名が存在</source>
        <translation>The Name Is Taken in the Destination Folder</translation>
    </message>
    <message>
        <source>現存ファイル</source>
        <translation>Existing file</translation>
    </message>
    <message>
        <source>新ファイル</source>
        <translation>New file</translation>
    </message>
    <message>
        <source>手動改名...</source>
        <translation>Rename...</translation>
    </message>
    <message>
        <source>自動改名</source>
        <translation>Number It</translation>
    </message>
    <message>
        <source>保存しない</source>
        <translation>Don&apos;t Save</translation>
    </message>
</context>
<context>
    <name>kelvo::TForm5</name>
    <message>
        <source>ダブルクリックで閉じます</source>
        <translation>Double-click to close</translation>
    </message>
    <message>
        <source>画像を読み込めません</source>
        <translation>Cannot load the image</translation>
    </message>
</context>
<context>
    <name>kelvo::TForm7</name>
    <message>
        <source>開く</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>選択画像を開く</source>
        <translation>Open the selected image</translation>
    </message>
    <message>
        <source>閉じる</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>メインフォームへ戻る</source>
        <translation>Back to the main window</translation>
    </message>
    <message>
        <source>画像保存先フォルダを開く</source>
        <translation>Open the Image&apos;s Folder</translation>
    </message>
    <message>
        <source>画像取得元ＨＰアドレスをコピー</source>
        <translation>Copy the Source Page&apos;s Address</translation>
    </message>
    <message>
        <source>画像取得元ＨＰをブラウザで開く</source>
        <translation>Open the Source Page in the Browser</translation>
    </message>
    <message>
        <source>画像取得元ＨＰを新しいブラウザで開く</source>
        <translation>Open the Source Page in a New Browser Window</translation>
    </message>
    <message>
        <source>最初のファイル</source>
        <translation>First File</translation>
    </message>
    <message>
        <source>最初のファイルへ</source>
        <translation>Go to the first file</translation>
    </message>
    <message>
        <source>前のファイル</source>
        <translation>Previous File</translation>
    </message>
    <message>
        <source>前のファイルへ</source>
        <translation>Go to the previous file</translation>
    </message>
    <message>
        <source>次のファイル</source>
        <translation>Next File</translation>
    </message>
    <message>
        <source>次のファイルへ</source>
        <translation>Go to the next file</translation>
    </message>
    <message>
        <source>最後のファイル</source>
        <translation>Last File</translation>
    </message>
    <message>
        <source>最後のファイルへ</source>
        <translation>Go to the last file</translation>
    </message>
    <message>
        <source>最新の情報に更新</source>
        <translation>Refresh</translation>
    </message>
    <message>
        <source>ファイル名の変更</source>
        <translation>Rename File</translation>
    </message>
    <message>
        <source>コピー</source>
        <translation>Copy</translation>
    </message>
    <message>
        <source>同じ画像・似た画像を表示</source>
        <translation>Show the Same and Similar Images</translation>
    </message>
    <message>
        <source>検索</source>
        <translation>Search</translation>
    </message>
    <message>
        <source>全期間の履歴を検索</source>
        <translation>Search the whole history</translation>
    </message>
    <message>
        <source>ファイル</source>
        <translation>File</translation>
    </message>
    <message>
        <source>編集</source>
        <translation>Edit</translation>
    </message>
    <message>
        <source>表示</source>
        <translation>View</translation>
    </message>
    <message>
        <source>オプション</source>
        <translation>Options</translation>
    </message>
    <message>
        <source>検索 (Ctrl+F)</source>
        <translation>Search (Ctrl+F)</translation>
    </message>
    <message>
        <source>全期間の履歴からファイル名・識別名・アドレス・フォルダを検索</source>
        <translation>Search the whole history for file names, destinations, addresses and folders</translation>
    </message>
    <message>
        <source>年月日クリックで履歴表示</source>
        <translation>Click a month or a day to list its captures</translation>
    </message>
    <message>
        <source>取得した年月日</source>
        <translation>Capture dates</translation>
    </message>
    <message>
        <source>選んだ画像のプレビュー</source>
        <translation>Preview of the selected image</translation>
    </message>
    <message>
        <source>ダブルクリックで原寸表示</source>
        <translation>Double-click to show it at full size</translation>
    </message>
    <message>
        <source>ファイル名クリックで画像表示</source>
        <translation>Click a file name to show its image</translation>
    </message>
    <message>
        <source>取得履歴</source>
        <translation>Captures</translation>
    </message>
    <message>
        <source>選んだ日に取得した画像の一覧。ファイル名クリックで画像表示</source>
        <translation>The images captured on the chosen day. Click a file name to show its image</translation>
    </message>
</context>
<context>
    <name>kelvo::TForm8</name>
    <message>
        <source>識別名（入力無しの場合、保存先フォルダ名と同一名になります）</source>
        <translation>Name (when left empty, the folder&apos;s own name)</translation>
    </message>
    <message>
        <source>保存先フォルダ</source>
        <translation>Destination folder</translation>
    </message>
    <message>
        <source>フォルダ...</source>
        <translation>Folder...</translation>
    </message>
    <message>
        <source>ＯＫ</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>画像保存先フォルダを指定してください。</source>
        <translation>Choose the folder to save images in.</translation>
    </message>
</context>
<context>
    <name>kelvo::TrayIcon</name>
    <message>
        <source>元に戻す</source>
        <translation>Restore</translation>
    </message>
    <message>
        <source>履歴</source>
        <translation>History</translation>
    </message>
    <message>
        <source>貼り付け</source>
        <translation>Paste</translation>
    </message>
    <message>
        <source>終了</source>
        <translation>Quit</translation>
    </message>
    <message>
        <source>通知領域が無いため、アイコンは表示されません。</source>
        <translation>There is no notification area, so Kelvo shows no tray icon.</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>ホームフォルダをロックできません。
%1</source>
        <translation>Cannot lock the home folder.
%1</translation>
    </message>
    <message>
        <source>ケルボは既に実行されています！</source>
        <translation>Kelvo is already running!</translation>
    </message>
</context>
</TS>
