<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja" sourcelanguage="en_US">
<context>
    <name>AboutBox</name>
    <message>
        <source>Version %1</source>
        <translation>バージョン %1</translation>
    </message>
    <message>
        <source>The text messages of an iPhone: read from the phone or its backups, backed up, browsed and exported.</source>
        <translation>iPhone のテキストメッセージを、電話やそのバックアップから読み込み、バックアップし、閲覧し、書き出します。</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>ヘルプ(&amp;H)</translation>
    </message>
    <message>
        <source>&amp;About %1</source>
        <translation>%1 について(&amp;A)</translation>
    </message>
    <message>
        <source>About %1</source>
        <translation>%1 について</translation>
    </message>
</context>
<context>
    <name>BackupChooser</name>
    <message>
        <source>iOS %1</source>
        <translation>iOS %1</translation>
    </message>
    <message>
        <source>Encrypted</source>
        <translation>暗号化</translation>
    </message>
    <message>
        <source>incomplete</source>
        <translation>不完全</translation>
    </message>
    <message>
        <source>Damaged backup: %1</source>
        <translation>壊れたバックアップ: %1</translation>
    </message>
    <message>
        <source>Choose a phone backup folder</source>
        <translation>電話のバックアップフォルダを選択</translation>
    </message>
    <message>
        <source>Choose the phone backup to open:</source>
        <translation>開く電話のバックアップを選択:</translation>
    </message>
    <message>
        <source>Phone</source>
        <translation>電話</translation>
    </message>
    <message>
        <source>Version</source>
        <translation>バージョン</translation>
    </message>
    <message>
        <source>Backed up</source>
        <translation>バックアップ済み</translation>
    </message>
    <message>
        <source>State</source>
        <translation>状態</translation>
    </message>
    <message>
        <source>No phone backup was found in the usual places. Choose a folder that holds one.</source>
        <translation>いつもの場所に電話のバックアップが見つかりません。バックアップを含むフォルダを選択してください。</translation>
    </message>
    <message>
        <source>Choose folder…</source>
        <translation>フォルダを選択…</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>開く</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>キャンセル</translation>
    </message>
</context>
<context>
    <name>BackupPassword</name>
    <message>
        <source>The password is wrong. Please try again.</source>
        <translation>パスワードが違います。もう一度入力してください。</translation>
    </message>
    <message>
        <source>Encrypted backup</source>
        <translation>暗号化されたバックアップ</translation>
    </message>
    <message>
        <source>This backup is encrypted. Enter the password that was set for the phone&apos;s backups:</source>
        <translation>このバックアップは暗号化されています。電話のバックアップに設定したパスワードを入力してください:</translation>
    </message>
    <message>
        <source>%1, backed up %2</source>
        <translation>%1、%2 にバックアップ</translation>
    </message>
    <message>
        <source>Checking the password… %p%</source>
        <translation>パスワードを確認しています… %p%</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>キャンセル</translation>
    </message>
</context>
<context>
    <name>BackupProgress</name>
    <message>
        <source>Cancelling the backup...</source>
        <translation>バックアップをキャンセルしています...</translation>
    </message>
    <message>
        <source>Backing up the iPhone. The first backup of a phone can take a long time.</source>
        <translation>iPhone をバックアップしています。初回のバックアップには時間がかかることがあります。</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>キャンセル</translation>
    </message>
</context>
<context>
    <name>BackupRun</name>
    <message>
        <source>The backup tool %1 could not be started.
Install the Debian packages libimobiledevice-utils and usbmuxd, and keep msgdesk&apos;s device support beside the program.</source>
        <translation>バックアップツール %1 を起動できませんでした。
Debian パッケージ libimobiledevice-utils と usbmuxd をインストールし、msgdesk のデバイスサポートをプログラムのそばに置いてください。</translation>
    </message>
    <message>
        <source>The backup was cancelled. The phone&apos;s previous backup is kept.</source>
        <translation>バックアップはキャンセルされました。電話の以前のバックアップは保持されます。</translation>
    </message>
    <message>
        <source>The backup tool stopped unexpectedly. The phone&apos;s previous backup is kept.</source>
        <translation>バックアップツールが予期せず停止しました。電話の以前のバックアップは保持されます。</translation>
    </message>
    <message>
        <source>The backup of the phone failed (status %1).</source>
        <translation>電話のバックアップに失敗しました（状態 %1）。</translation>
    </message>
    <message>
        <source>unknown</source>
        <translation>不明</translation>
    </message>
    <message>
        <source>%1 GB</source>
        <translation>%1 GB</translation>
    </message>
    <message>
        <source>%1 MB</source>
        <translation>%1 MB</translation>
    </message>
    <message>
        <source>%1 kB</source>
        <translation>%1 kB</translation>
    </message>
    <message>
        <source>The iPhone is locked. Unlock it and keep it unlocked while the backup starts; on iOS 16.1 and later, enter the passcode on the iPhone when it asks for it. Then choose the phone again.</source>
        <translation>iPhone がロックされています。ロックを解除し、バックアップが始まるまでロックを解除したままにしてください。iOS 16.1 以降では、iPhone でパスコードを求められたら入力してください。その後、もう一度電話を選択してください。</translation>
    </message>
    <message>
        <source>an unknown version</source>
        <translation>不明なバージョン</translation>
    </message>
    <message>
        <source>The device library on this computer (%1) is older than the iPhone&apos;s software and cannot back it up. Install a newer device library, or make the backup with another program and open it with &quot;File &gt; Open phone backup…&quot;.</source>
        <translation>このコンピュータのデバイスライブラリ（%1）は iPhone のソフトウェアより古いため、バックアップできません。新しいデバイスライブラリをインストールするか、別のプログラムでバックアップを作成して「ファイル &gt; 電話のバックアップを開く…」で開いてください。</translation>
    </message>
    <message>
        <source>This computer is no longer paired with the iPhone. Unlock the iPhone, run &quot;idevicepair pair&quot;, tap &quot;Trust&quot; on the iPhone and enter its passcode, then attach it again.</source>
        <translation>このコンピュータと iPhone のペアリングが解除されています。iPhone のロックを解除し、「idevicepair pair」を実行して、iPhone で「信頼」をタップしてパスコードを入力してから、もう一度接続してください。</translation>
    </message>
    <message>
        <source>There is too little free disk space for the backup: %1 free</source>
        <translation>バックアップに必要な空きディスク容量が足りません: 空き容量 %1</translation>
    </message>
    <message>
        <source>, and the last backup of this iPhone takes %1</source>
        <translation>（この iPhone の前回のバックアップは %1）</translation>
    </message>
    <message>
        <source>. Free some space and choose the phone again.</source>
        <translation>。空き容量を増やしてから、もう一度電話を選択してください。</translation>
    </message>
</context>
<context>
    <name>BubbleFrame</name>
    <message>
        <source>Edited</source>
        <translation>編集済み</translation>
    </message>
</context>
<context>
    <name>Export</name>
    <message>
        <source>%1: cannot be written</source>
        <translation>%1: 書き込めません</translation>
    </message>
    <message>
        <source>Messages</source>
        <translation>メッセージ</translation>
    </message>
    <message>
        <source>%1: a file of that name is already there</source>
        <translation>%1: 同じ名前のファイルが既にあります</translation>
    </message>
    <message>
        <source>%1: the folder is not empty</source>
        <translation>%1: フォルダーが空ではありません</translation>
    </message>
    <message>
        <source>%1: its folder does not exist</source>
        <translation>%1: 保存先のフォルダーがありません</translation>
    </message>
    <message>
        <source>%1: cannot be written: %2</source>
        <translation>%1: 書き込めません: %2</translation>
    </message>
    <message>
        <source>me</source>
        <translation>自分</translation>
    </message>
    <message>
        <source>1 message</source>
        <translation>1 件のメッセージ</translation>
    </message>
    <message>
        <source>%1 messages</source>
        <translation>%1 件のメッセージ</translation>
    </message>
    <message>
        <source>%1: not a folder</source>
        <translation>%1: フォルダーではありません</translation>
    </message>
    <message>
        <source>%1: cannot be written (%2)</source>
        <translation>%1: 書き込めません（%2）</translation>
    </message>
    <message>
        <source>All conversations</source>
        <translation>すべての会話</translation>
    </message>
    <message>
        <source>Edited</source>
        <translation>編集済み</translation>
    </message>
    <message>
        <source>the folder for the attachments cannot be made</source>
        <translation>添付ファイル用のフォルダーを作成できません</translation>
    </message>
    <message>
        <source>the file cannot be written</source>
        <translation>ファイルを書き込めません</translation>
    </message>
    <message>
        <source>1 conversation</source>
        <translation>1 件の会話</translation>
    </message>
    <message>
        <source>%1 conversations</source>
        <translation>%1 件の会話</translation>
    </message>
    <message>
        <source>PDF files can only be written where the fonts can be loaded</source>
        <translation>PDF ファイルはフォントを読み込める環境でのみ書き出せます</translation>
    </message>
    <message>
        <source>the PDF file cannot be started</source>
        <translation>PDF ファイルを書き始められません</translation>
    </message>
    <message>
        <source>No messages</source>
        <translation>メッセージはありません</translation>
    </message>
    <message>
        <source>the PDF file cannot be finished</source>
        <translation>PDF ファイルを書き終えられません</translation>
    </message>
    <message>
        <source>Page %1</source>
        <translation>%1 ページ</translation>
    </message>
</context>
<context>
    <name>ExportDialog</name>
    <message>
        <source>Plain text</source>
        <translation>プレーンテキスト</translation>
    </message>
    <message>
        <source>Web page (HTML)</source>
        <translation>Web ページ (HTML)</translation>
    </message>
    <message>
        <source>PDF document</source>
        <translation>PDF 文書</translation>
    </message>
    <message>
        <source>Spreadsheet (CSV)</source>
        <translation>表計算 (CSV)</translation>
    </message>
    <message>
        <source>JSON lines</source>
        <translation>JSON Lines</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>警告</translation>
    </message>
    <message>
        <source>No program could be started to show
%1</source>
        <translation>表示するプログラムを起動できませんでした
%1</translation>
    </message>
    <message>
        <source>Export to folder</source>
        <translation>フォルダーに書き出す</translation>
    </message>
    <message>
        <source>Export to</source>
        <translation>書き出し先</translation>
    </message>
    <message>
        <source>Information</source>
        <translation>お知らせ</translation>
    </message>
    <message>
        <source>Please choose where the export goes.</source>
        <translation>書き出し先を選んでください。</translation>
    </message>
    <message>
        <source>The first day of the range comes after its last day.</source>
        <translation>範囲の開始日が終了日より後になっています。</translation>
    </message>
    <message>
        <source>%1 of %2 messages</source>
        <translation>%1 / %2 件のメッセージ</translation>
    </message>
    <message>
        <source>%1 messages of %2 conversations were written to %3.</source>
        <translation>%2 件の会話の %1 件のメッセージを %3 に書き出しました。</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>閉じる</translation>
    </message>
    <message>
        <source>The export was cancelled; nothing was written.</source>
        <translation>書き出しは取り消されました。何も書き込まれていません。</translation>
    </message>
    <message>
        <source>The export could not be written:
%1</source>
        <translation>書き出せませんでした:
%1</translation>
    </message>
    <message>
        <source>Export messages</source>
        <translation>メッセージを書き出す</translation>
    </message>
    <message>
        <source>Format:</source>
        <translation>形式:</translation>
    </message>
    <message>
        <source>Messages:</source>
        <translation>メッセージ:</translation>
    </message>
    <message>
        <source>All conversations</source>
        <translation>すべての会話</translation>
    </message>
    <message>
        <source>The open conversation</source>
        <translation>開いている会話</translation>
    </message>
    <message>
        <source>The open conversation: %1</source>
        <translation>開いている会話: %1</translation>
    </message>
    <message>
        <source>The selected messages</source>
        <translation>選択したメッセージ</translation>
    </message>
    <message>
        <source>The selected messages (%1)</source>
        <translation>選択したメッセージ（%1）</translation>
    </message>
    <message>
        <source>Only messages from</source>
        <translation>次の期間のメッセージのみ:</translation>
    </message>
    <message>
        <source>to</source>
        <translation>〜</translation>
    </message>
    <message>
        <source>Include attachments</source>
        <translation>添付ファイルを含める</translation>
    </message>
    <message>
        <source>Save to:</source>
        <translation>保存先:</translation>
    </message>
    <message>
        <source>Browse…</source>
        <translation>参照…</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>開く</translation>
    </message>
    <message>
        <source>Show in folder</source>
        <translation>フォルダーで表示</translation>
    </message>
    <message>
        <source>Export</source>
        <translation>書き出す</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>キャンセル</translation>
    </message>
</context>
<context>
    <name>Frame</name>
    <message>
        <source>Frame</source>
        <translation>Frame</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>コピー</translation>
    </message>
    <message>
        <source>TextLabel</source>
        <translation>TextLabel</translation>
    </message>
</context>
<context>
    <name>Frame1</name>
    <message>
        <source>Frame</source>
        <translation>Frame</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>コピー</translation>
    </message>
    <message>
        <source>5445</source>
        <translation>5445</translation>
    </message>
</context>
<context>
    <name>FrameCopy</name>
    <message>
        <source>Dialog</source>
        <translation>Dialog</translation>
    </message>
    <message>
        <source>Warning: this action will copy message
 to .txt file;</source>
        <translation>警告: この操作はメッセージを
 .txt ファイルにコピーします;</translation>
    </message>
    <message>
        <source>Choose the file path:</source>
        <translation>ファイルのパスを選択:</translation>
    </message>
    <message>
        <source>Browse</source>
        <translation>参照</translation>
    </message>
    <message>
        <source>Open output file</source>
        <translation>出力ファイルを開く</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>キャンセル</translation>
    </message>
    <message>
        <source>Save To txt</source>
        <translation>txt に保存</translation>
    </message>
    <message>
        <source>txt (*.txt)</source>
        <translation>テキスト (*.txt)</translation>
    </message>
</context>
<context>
    <name>LoadingLine</name>
    <message>
        <source>Reading messages...</source>
        <translation>メッセージを読み込んでいます...</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>キャンセル</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>MainWindow</source>
        <translation>MainWindow</translation>
    </message>
    <message>
        <source>iPhone Lost</source>
        <translation>iPhone が切断されました</translation>
    </message>
    <message>
        <source>BACKUP FILES</source>
        <translation>バックアップファイル</translation>
    </message>
    <message>
        <source>TextLabel</source>
        <translation>TextLabel</translation>
    </message>
    <message>
        <source>BackUp iPhone SMS to Computer</source>
        <translation>iPhone の SMS をコンピュータにバックアップ</translation>
    </message>
    <message>
        <source>BackUp</source>
        <translation>バックアップ</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>コピー</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>ファイル(&amp;F)</translation>
    </message>
    <message>
        <source>Edit</source>
        <translation>編集</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>開く</translation>
    </message>
    <message>
        <source>Open phone backup…</source>
        <translation>電話のバックアップを開く…</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>終了</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>削除</translation>
    </message>
    <message>
        <source>Downloading...</source>
        <translation>ダウンロード中...</translation>
    </message>
    <message>
        <source>Speed:</source>
        <translation>速度:</translation>
    </message>
    <message>
        <source>0kB/s</source>
        <translation>0kB/s</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>キャンセル(&amp;C)</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>取り除く</translation>
    </message>
    <message>
        <source>SMS:0
Contact:0
iPhone Serial:No device</source>
        <translation>SMS: 0
連絡先: 0
iPhone シリアル番号: デバイスなし</translation>
    </message>
    <message>
        <source>Mobile Losted</source>
        <translation>電話が切断されました</translation>
    </message>
    <message>
        <source>Mobile connected</source>
        <translation>電話が接続されました</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>警告</translation>
    </message>
    <message>
        <source>SMS:</source>
        <translation>SMS:</translation>
    </message>
    <message>
        <source>
Contact:</source>
        <translation>
連絡先：</translation>
    </message>
    <message>
        <source>iPhone Serial:</source>
        <translation>iPhone シリアル番号:</translation>
    </message>
    <message>
        <source>Information</source>
        <translation>情報</translation>
    </message>
    <message>
        <source>iOS %1</source>
        <translation>iOS %1</translation>
    </message>
    <message>
        <source>This folder is no phone backup that can be read:
%1

%2</source>
        <translation>このフォルダは読み込める電話のバックアップではありません:
%1

%2</translation>
    </message>
    <message>
        <source>There is no .sms backup or phone backup folder at
%1</source>
        <translation>次の場所に .sms バックアップも電話のバックアップフォルダもありません:
%1</translation>
    </message>
    <message>
        <source>No message in your device!!!</source>
        <translation>デバイスにメッセージがありません！</translation>
    </message>
    <message>
        <source>Please make sure that iPhone has been connected.</source>
        <translation>iPhone が接続されていることを確認してください。</translation>
    </message>
    <message>
        <source>Backup databace failed!!!</source>
        <translation>データベースのバックアップに失敗しました！</translation>
    </message>
    <message>
        <source>Open a BackUp</source>
        <translation>バックアップを開く</translation>
    </message>
    <message>
        <source>sms(*.sms)</source>
        <translation>SMS バックアップ (*.sms)</translation>
    </message>
    <message>
        <source>Are you sure to do this?</source>
        <translation>本当に実行しますか？</translation>
    </message>
    <message>
        <source>The backup file could not be deleted:
%1</source>
        <translation>バックアップファイルを削除できませんでした:
%1</translation>
    </message>
    <message>
        <source>The text file could not be written:
%1</source>
        <translation>テキストファイルを書き込めませんでした:
%1</translation>
    </message>
    <message>
        <source>No data sorce!!!Please check one!!!</source>
        <translation>データソースがありません！いずれかを選択してください！</translation>
    </message>
    <message>
        <source>Update</source>
        <translation>アップデート</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>エラー</translation>
    </message>
    <message>
        <source>Download error</source>
        <translation>ダウンロードエラー</translation>
    </message>
    <message>
        <source>Ok</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Success</source>
        <translation>成功</translation>
    </message>
    <message>
        <source>Download Success,do you want to install?</source>
        <translation>ダウンロードが完了しました。インストールしますか？</translation>
    </message>
    <message>
        <source>&amp;Install</source>
        <translation>インストール(&amp;I)</translation>
    </message>
    <message>
        <source>The downloaded file could not be started:
%1</source>
        <translation>ダウンロードしたファイルを起動できませんでした:
%1</translation>
    </message>
    <message>
        <source>Backing up the attachments...</source>
        <translation>添付ファイルをバックアップしています...</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>キャンセル</translation>
    </message>
    <message>
        <source>Export…</source>
        <translation>書き出し…</translation>
    </message>
    <message>
        <source>The iPhone could not be backed up: it did not tell its identifier. Unlock it, attach it again and confirm that this computer is trusted.</source>
        <translation>iPhone をバックアップできませんでした: 識別子が返されませんでした。iPhone のロックを解除し、接続し直して、このコンピュータを信頼することを確認してください。</translation>
    </message>
    <message>
        <source>BackUp iPhone</source>
        <translation>iPhone をバックアップ</translation>
    </message>
    <message>
        <source>The message database was not found in the iPhone&apos;s backup:
%1</source>
        <translation>iPhone のバックアップにメッセージデータベースが見つかりませんでした:
%1</translation>
    </message>
    <message>
        <source>The iPhone&apos;s backup holds no address book: names cannot be shown.</source>
        <translation>iPhone のバックアップにアドレス帳がありません: 名前を表示できません。</translation>
    </message>
    <message>
        <source>The backup file does not exist any more:
%1</source>
        <translation>バックアップファイルはもう存在しません:
%1</translation>
    </message>
    <message>
        <source>The phone backup cannot be read:
%1

%2</source>
        <translation>電話のバックアップを読み込めません:
%1

%2</translation>
    </message>
    <message>
        <source>This file is damaged: %1.</source>
        <translation>このファイルは破損しています: %1。</translation>
    </message>
</context>
<context>
    <name>MsgdeskCli</name>
    <message>
        <source>%1 needs a value</source>
        <translation>%1 には値が必要です</translation>
    </message>
    <message>
        <source>unknown option %1</source>
        <translation>不明なオプション %1</translation>
    </message>
    <message>
        <source>me</source>
        <translation>自分</translation>
    </message>
    <message>
        <source>yes</source>
        <translation>はい</translation>
    </message>
    <message>
        <source>no</source>
        <translation>いいえ</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>Device name: %1</source>
        <translation>デバイス名: %1</translation>
    </message>
    <message>
        <source>iOS version: %1</source>
        <translation>iOS バージョン: %1</translation>
    </message>
    <message>
        <source>Backup date: %1</source>
        <translation>バックアップ日時: %1</translation>
    </message>
    <message>
        <source>Layout: %1</source>
        <translation>形式: %1</translation>
    </message>
    <message>
        <source>Encrypted: %1</source>
        <translation>暗号化: %1</translation>
    </message>
    <message>
        <source>Complete: %1</source>
        <translation>完全: %1</translation>
    </message>
    <message>
        <source>modern message database (iOS 6 and later)</source>
        <translation>新形式のメッセージデータベース（iOS 6 以降）</translation>
    </message>
    <message>
        <source>legacy message database (iOS 5 and before)</source>
        <translation>旧形式のメッセージデータベース（iOS 5 以前）</translation>
    </message>
    <message>
        <source>Messages: %1</source>
        <translation>メッセージ: %1</translation>
    </message>
    <message>
        <source>Conversations: %1</source>
        <translation>チャット: %1</translation>
    </message>
    <message>
        <source>Contacts: %1</source>
        <translation>連絡先: %1</translation>
    </message>
    <message>
        <source>msgdesk-cli: %1: cannot be written</source>
        <translation>msgdesk-cli: %1: 書き込めません</translation>
    </message>
    <message>
        <source>Password of the backup of %1: </source>
        <translation>%1 のバックアップのパスワード: </translation>
    </message>
    <message>
        <source>no command given</source>
        <translation>コマンドが指定されていません</translation>
    </message>
    <message>
        <source>unknown command %1</source>
        <translation>不明なコマンド %1</translation>
    </message>
    <message>
        <source>%1 takes %2</source>
        <translation>%1 には %2 が必要です</translation>
    </message>
    <message>
        <source>msgdesk-cli: %1: no conversation %2</source>
        <translation>msgdesk-cli: %1: チャット %2 はありません</translation>
    </message>
    <message>
        <source>%1: no such file</source>
        <translation>%1: ファイルがありません</translation>
    </message>
    <message>
        <source>%1: not an address book</source>
        <translation>%1: アドレス帳ではありません</translation>
    </message>
    <message>
        <source>%1: the backup is encrypted: give its password in MSGDESK_BACKUP_PASSWORD or type it at the prompt</source>
        <translation>%1: バックアップは暗号化されています: MSGDESK_BACKUP_PASSWORD でパスワードを指定するか、プロンプトで入力してください</translation>
    </message>
    <message>
        <source>%1: wrong password for this backup</source>
        <translation>%1: このバックアップのパスワードが違います</translation>
    </message>
    <message>
        <source>%1: the backup cannot be unlocked: %2</source>
        <translation>%1: バックアップのロックを解除できません: %2</translation>
    </message>
    <message>
        <source>%1: its message database is of no layout msgdesk knows</source>
        <translation>%1: メッセージデータベースの形式を msgdesk は認識できません</translation>
    </message>
    <message>
        <source>%1: not a message database (the file is not an SQLite database or is damaged)</source>
        <translation>%1: メッセージデータベースではありません（SQLite データベースでないか、壊れています）</translation>
    </message>
    <message>
        <source>%1: not a message database (it has no message table)</source>
        <translation>%1: メッセージデータベースではありません（メッセージテーブルがありません）</translation>
    </message>
    <message>
        <source>%1: the message table is of no layout msgdesk knows</source>
        <translation>%1: メッセージテーブルの形式を msgdesk は認識できません</translation>
    </message>
    <message>
        <source>present</source>
        <translation>あり</translation>
    </message>
    <message>
        <source>msgdesk-cli: %1: %2</source>
        <translation>msgdesk-cli: %1: %2</translation>
    </message>
    <message>
        <source>msgdesk-cli: %1: a file of that name is already there</source>
        <translation>msgdesk-cli: %1: 同じ名前のファイルがすでにあります</translation>
    </message>
    <message>
        <source>msgdesk-cli: %1: cannot be written: %2</source>
        <translation>msgdesk-cli: %1: 書き込めません: %2</translation>
    </message>
    <message>
        <source>--json is for list, show, info, search and attachments</source>
        <translation>--json は list、show、info、search、attachments でのみ使えます</translation>
    </message>
    <message>
        <source>--conversation is for export, search and attachments</source>
        <translation>--conversation は export、search、attachments でのみ使えます</translation>
    </message>
    <message>
        <source>--save is for attachments</source>
        <translation>--save は attachments でのみ使えます</translation>
    </message>
    <message>
        <source>--save and --json cannot be combined</source>
        <translation>--save と --json は同時に指定できません</translation>
    </message>
    <message>
        <source>--contacts is for list, show, export, search, attachments and backup</source>
        <translation>--contacts は list、show、export、search、attachments、backup でのみ使えます</translation>
    </message>
    <message>
        <source>%1: the file is damaged: %2; what could be read is shown</source>
        <translation>%1: ファイルが壊れています: %2。読み込めた部分を表示します</translation>
    </message>
    <message>
        <source>usage: msgdesk-cli list   [--json] [--contacts FILE] SOURCE
       msgdesk-cli show   [--json] [--contacts FILE] SOURCE KEY
       msgdesk-cli export [--format txt|html|pdf|csv|json] [--attachments] [--contacts FILE]
                          [--conversation KEY] [--from DATE] [--to DATE] SOURCE OUT
       msgdesk-cli info   [--json] SOURCE
       msgdesk-cli search [--json] [--contacts FILE] [--conversation KEY] SOURCE QUERY
       msgdesk-cli attachments [--json] [--contacts FILE] [--conversation KEY] [--save DIR] SOURCE
       msgdesk-cli backup [--contacts FILE] SOURCE FILE
       msgdesk-cli --version | --help
SOURCE is a .sms backup file, a phone&apos;s message database or a phone backup
folder; KEY is a conversation key as &quot;list&quot; prints it. An encrypted backup&apos;s
password comes from MSGDESK_BACKUP_PASSWORD or is asked for. The source is
never changed. export writes txt unless told otherwise; DATE is YYYY-MM-DD in
local time; OUT must not exist (html: a new or empty folder).
</source>
        <translation>使い方: msgdesk-cli list   [--json] [--contacts FILE] SOURCE
        msgdesk-cli show   [--json] [--contacts FILE] SOURCE KEY
        msgdesk-cli export [--format txt|html|pdf|csv|json] [--attachments] [--contacts FILE]
                           [--conversation KEY] [--from DATE] [--to DATE] SOURCE OUT
        msgdesk-cli info   [--json] SOURCE
        msgdesk-cli search [--json] [--contacts FILE] [--conversation KEY] SOURCE QUERY
        msgdesk-cli attachments [--json] [--contacts FILE] [--conversation KEY] [--save DIR] SOURCE
        msgdesk-cli backup [--contacts FILE] SOURCE FILE
        msgdesk-cli --version | --help
SOURCE は .sms バックアップファイル、電話のメッセージデータベース、または
電話のバックアップフォルダです。KEY は「list」が表示するチャットのキーです。
暗号化されたバックアップのパスワードは MSGDESK_BACKUP_PASSWORD から取得するか、
入力を求めます。ソースが変更されることはありません。
export は指定がなければ txt を書き出します。DATE は現地時刻の YYYY-MM-DD、
OUT は存在してはなりません（html: 新しいか空のフォルダー）。
</translation>
    </message>
    <message>
        <source>--format, --attachments, --from and --to are for export</source>
        <translation>--format、--attachments、--from、--to は export 用です</translation>
    </message>
    <message>
        <source>unknown format %1 (one of %2)</source>
        <translation>不明な形式 %1（%2 のいずれか）</translation>
    </message>
    <message>
        <source>--attachments is for the html and pdf formats</source>
        <translation>--attachments は html と pdf 形式用です</translation>
    </message>
    <message>
        <source>%1 %2: not a date of the form YYYY-MM-DD</source>
        <translation>%1 %2: YYYY-MM-DD 形式の日付ではありません</translation>
    </message>
    <message>
        <source>--from %1 is after --to %2</source>
        <translation>--from %1 が --to %2 より後です</translation>
    </message>
    <message>
        <source>%1: cannot be written</source>
        <translation>%1: 書き込めません</translation>
    </message>
    <message>
        <source>cannot be told while the backup is locked</source>
        <translation>バックアップがロックされている間は判断できません</translation>
    </message>
    <message>
        <source>%1: the file is damaged: %2; nothing could be read</source>
        <translation>%1: ファイルが壊れています: %2。何も読み込めませんでした</translation>
    </message>
</context>
<context>
    <name>MsgdeskStartup</name>
    <message>
        <source>Device library: %1
</source>
        <translation>デバイスライブラリ: %1
</translation>
    </message>
    <message>
        <source>Device library: not found (%1)
</source>
        <translation>デバイスライブラリ: 見つかりません（%1）
</translation>
    </message>
    <message>
        <source>Backup tool: %1
</source>
        <translation>バックアップツール: %1
</translation>
    </message>
    <message>
        <source>Backup tool: not found (%1)
</source>
        <translation>バックアップツール: 見つかりません（%1）
</translation>
    </message>
    <message>
        <source>ignored: %1
</source>
        <translation>無視しました: %1
</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Error</source>
        <translation>エラー</translation>
    </message>
    <message>
        <source>Delete Error</source>
        <translation>削除エラー</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>警告</translation>
    </message>
    <message>
        <source>The messages are deleted, but another program is reading the file: their text stays in it until that program closes it. It is wiped as soon as that program lets go.</source>
        <translation>メッセージは削除されましたが、別のプログラムがファイルを読み込んでいます。そのプログラムがファイルを閉じるまで、メッセージの本文はファイルに残ります。そのプログラムがファイルを解放するとすぐに消去されます。</translation>
    </message>
</context>
<context>
    <name>SearchController</name>
    <message>
        <source>%1 of %2</source>
        <translation>%1/%2</translation>
    </message>
</context>
<context>
    <name>SearchField</name>
    <message>
        <source>Search messages</source>
        <translation>メッセージを検索</translation>
    </message>
</context>
<context>
    <name>SearchResultsPage</name>
    <message>
        <source>1 message</source>
        <translation>1 件のメッセージ</translation>
    </message>
    <message>
        <source>%1 messages</source>
        <translation>%1 件のメッセージ</translation>
    </message>
    <message>
        <source>1 conversation</source>
        <translation>1 件のチャット</translation>
    </message>
    <message>
        <source>%1 conversations</source>
        <translation>%1 件のチャット</translation>
    </message>
    <message>
        <source>Conversations</source>
        <translation>チャット</translation>
    </message>
    <message>
        <source>Messages</source>
        <translation>メッセージ</translation>
    </message>
    <message>
        <source>me</source>
        <translation>自分</translation>
    </message>
    <message>
        <source>Searching…</source>
        <translation>検索しています…</translation>
    </message>
    <message>
        <source>No messages found</source>
        <translation>メッセージが見つかりません</translation>
    </message>
    <message>
        <source>%1 in %2</source>
        <translation>%1（%2）</translation>
    </message>
</context>
<context>
    <name>StartupHelp</name>
    <message>
        <source>usage: msgdesk [PATH]
       msgdesk --version | --help | --check-device-support

Shows the text messages of an iPhone attached by USB, of its backups and
of .sms backup files. PATH, when given, is a .sms backup file or a phone
backup folder to open at start.

  --version               print the version and end
  --help                  print this text and end
  --check-device-support  tell where the device support was found and end
                          (status 1 when it was not found)
</source>
        <translation>使い方: msgdesk [パス]
        msgdesk --version | --help | --check-device-support

USB で接続した iPhone、そのバックアップ、.sms バックアップファイルの
テキストメッセージを表示します。パスを指定すると、起動時にその .sms
バックアップファイルまたは電話のバックアップフォルダを開きます。

  --version               バージョンを表示して終了
  --help                  この説明を表示して終了
  --check-device-support  デバイスサポートの場所を表示して終了
                          （見つからない場合は状態 1）
</translation>
    </message>
</context>
<context>
    <name>frame_page1</name>
    <message>
        <source>Frame</source>
        <translation>Frame</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>編集(&amp;E)</translation>
    </message>
    <message>
        <source>Edit</source>
        <translation>編集</translation>
    </message>
    <message>
        <source>&amp;Done</source>
        <translation>完了(&amp;D)</translation>
    </message>
</context>
<context>
    <name>frame_page2</name>
    <message>
        <source>Frame</source>
        <translation>Frame</translation>
    </message>
    <message>
        <source>Message</source>
        <translation>メッセージ</translation>
    </message>
    <message>
        <source>4444444444444</source>
        <translation>4444444444444</translation>
    </message>
    <message>
        <source>Edit</source>
        <translation>編集</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>削除</translation>
    </message>
    <message>
        <source>Done</source>
        <translation>完了</translation>
    </message>
    <message>
        <source>Clear All</source>
        <translation>すべて消去</translation>
    </message>
</context>
<context>
    <name>messageframe</name>
    <message>
        <source>Frame</source>
        <translation>Frame</translation>
    </message>
    <message>
        <source>1390000000000</source>
        <translation>1390000000000</translation>
    </message>
    <message>
        <source>2009-1-1 20:22:22</source>
        <translation>2009-1-1 20:22:22</translation>
    </message>
    <message>
        <source>See you at the station at eight tomorrow.</source>
        <translation>明日 8 時に駅で会いましょう。</translation>
    </message>
    <message>
        <source>...</source>
        <translation>...</translation>
    </message>
    <message>
        <source>&gt;</source>
        <translation>&gt;</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>削除</translation>
    </message>
</context>
<context>
    <name>smsChartCtrl</name>
    <message>
        <source>ScrollArea</source>
        <translation>ScrollArea</translation>
    </message>
</context>
<context>
    <name>views::AttachmentActions</name>
    <message>
        <source>Information</source>
        <translation>情報</translation>
    </message>
    <message>
        <source>%1 is not in this backup.</source>
        <translation>%1 はこのバックアップにありません。</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>警告</translation>
    </message>
    <message>
        <source>The attachment cannot be opened.</source>
        <translation>添付ファイルを開けません。</translation>
    </message>
    <message>
        <source>No program to open %1 was found.</source>
        <translation>%1 を開くプログラムが見つかりませんでした。</translation>
    </message>
    <message>
        <source>Save attachment</source>
        <translation>添付ファイルを保存</translation>
    </message>
    <message>
        <source>The attachment could not be saved.</source>
        <translation>添付ファイルを保存できませんでした。</translation>
    </message>
    <message>
        <source>This conversation has no attachments.</source>
        <translation>このチャットには添付ファイルがありません。</translation>
    </message>
    <message>
        <source>Save all attachments</source>
        <translation>すべての添付ファイルを保存</translation>
    </message>
    <message numerus="yes">
        <source>%n attachment(s) saved.</source>
        <translation>
            <numerusform>%n 個の添付ファイルを保存しました。</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n not in this backup.</source>
        <translation>
            <numerusform>%n 個はこのバックアップにありません。</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n could not be saved.</source>
        <translation>
            <numerusform>%n 個は保存できませんでした。</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>views::AttachmentStrip</name>
    <message>
        <source>not in this backup</source>
        <translation>このバックアップにありません</translation>
    </message>
    <message>
        <source>Voice message</source>
        <translation>ボイスメッセージ</translation>
    </message>
    <message>
        <source>Save attachment…</source>
        <translation>添付ファイルを保存…</translation>
    </message>
    <message>
        <source>Save all attachments…</source>
        <translation>すべての添付ファイルを保存…</translation>
    </message>
</context>
<context>
    <name>views::EventText</name>
    <message>
        <source>You</source>
        <translation>あなた</translation>
    </message>
    <message>
        <source>you</source>
        <translation>あなた</translation>
    </message>
    <message>
        <source>%1 added %2</source>
        <translation>%1 が %2 を追加しました</translation>
    </message>
    <message>
        <source>%1 removed %2</source>
        <translation>%1 が %2 を削除しました</translation>
    </message>
    <message>
        <source>%1 removed the conversation&apos;s name</source>
        <translation>%1 がチャット名を削除しました</translation>
    </message>
    <message>
        <source>%1 named the conversation “%2”</source>
        <translation>%1 がチャット名を「%2」にしました</translation>
    </message>
    <message>
        <source>%1 left the conversation</source>
        <translation>%1 がチャットから退出しました</translation>
    </message>
    <message>
        <source>%1 changed the conversation</source>
        <translation>%1 がチャットを変更しました</translation>
    </message>
</context>
<context>
    <name>xframeskin</name>
    <message>
        <source>Minimize</source>
        <translation>最小化</translation>
    </message>
    <message>
        <source>Maximize</source>
        <translation>最大化</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>閉じる</translation>
    </message>
    <message>
        <source>Restore</source>
        <translation>元に戻す</translation>
    </message>
</context>
</TS>
