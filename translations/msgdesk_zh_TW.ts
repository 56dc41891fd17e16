<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_TW" sourcelanguage="en_US">
<context>
    <name>AboutBox</name>
    <message>
        <source>Version %1</source>
        <translation>版本 %1</translation>
    </message>
    <message>
        <source>The text messages of an iPhone: read from the phone or its backups, backed up, browsed and exported.</source>
        <translation>iPhone 的簡訊：從手機或其備份中讀取、備份、瀏覽和匯出。</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>說明(&amp;H)</translation>
    </message>
    <message>
        <source>&amp;About %1</source>
        <translation>關於 %1(&amp;A)</translation>
    </message>
    <message>
        <source>About %1</source>
        <translation>關於 %1</translation>
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
        <translation>已加密</translation>
    </message>
    <message>
        <source>incomplete</source>
        <translation>不完整</translation>
    </message>
    <message>
        <source>Damaged backup: %1</source>
        <translation>備份已損毀：%1</translation>
    </message>
    <message>
        <source>Choose a phone backup folder</source>
        <translation>選擇手機備份資料夾</translation>
    </message>
    <message>
        <source>Choose the phone backup to open:</source>
        <translation>選擇要開啟的手機備份：</translation>
    </message>
    <message>
        <source>Phone</source>
        <translation>手機</translation>
    </message>
    <message>
        <source>Version</source>
        <translation>版本</translation>
    </message>
    <message>
        <source>Backed up</source>
        <translation>已備份</translation>
    </message>
    <message>
        <source>State</source>
        <translation>狀態</translation>
    </message>
    <message>
        <source>No phone backup was found in the usual places. Choose a folder that holds one.</source>
        <translation>在常用位置找不到手機備份。請選擇一個包含備份的資料夾。</translation>
    </message>
    <message>
        <source>Choose folder…</source>
        <translation>選擇資料夾…</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>開啟</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
</context>
<context>
    <name>BackupPassword</name>
    <message>
        <source>The password is wrong. Please try again.</source>
        <translation>密碼錯誤，請再試一次。</translation>
    </message>
    <message>
        <source>Encrypted backup</source>
        <translation>加密的備份</translation>
    </message>
    <message>
        <source>This backup is encrypted. Enter the password that was set for the phone&apos;s backups:</source>
        <translation>此備份已加密。請輸入為手機備份設定的密碼：</translation>
    </message>
    <message>
        <source>%1, backed up %2</source>
        <translation>%1，備份於 %2</translation>
    </message>
    <message>
        <source>Checking the password… %p%</source>
        <translation>正在檢查密碼… %p%</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>確定</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
</context>
<context>
    <name>BackupProgress</name>
    <message>
        <source>Cancelling the backup...</source>
        <translation>正在取消備份……</translation>
    </message>
    <message>
        <source>Backing up the iPhone. The first backup of a phone can take a long time.</source>
        <translation>正在備份 iPhone。手機的第一次備份可能需要很長時間。</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
</context>
<context>
    <name>BackupRun</name>
    <message>
        <source>The backup tool %1 could not be started.
Install the Debian packages libimobiledevice-utils and usbmuxd, and keep msgdesk&apos;s device support beside the program.</source>
        <translation>無法啟動備份工具 %1。
請安裝 Debian 套件 libimobiledevice-utils 和 usbmuxd，並將 msgdesk 的裝置支援檔案保留在程式旁邊。</translation>
    </message>
    <message>
        <source>The backup was cancelled. The phone&apos;s previous backup is kept.</source>
        <translation>備份已取消。手機先前的備份仍然保留。</translation>
    </message>
    <message>
        <source>The backup tool stopped unexpectedly. The phone&apos;s previous backup is kept.</source>
        <translation>備份工具意外停止。手機先前的備份仍然保留。</translation>
    </message>
    <message>
        <source>The backup of the phone failed (status %1).</source>
        <translation>手機備份失敗（狀態 %1）。</translation>
    </message>
    <message>
        <source>unknown</source>
        <translation>未知</translation>
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
        <translation>iPhone 已鎖定。請將其解鎖，並在備份開始期間保持解鎖；在 iOS 16.1 及更新版本上，當 iPhone 要求輸入密碼時，請在 iPhone 上輸入。然後重新選擇手機。</translation>
    </message>
    <message>
        <source>an unknown version</source>
        <translation>未知版本</translation>
    </message>
    <message>
        <source>The device library on this computer (%1) is older than the iPhone&apos;s software and cannot back it up. Install a newer device library, or make the backup with another program and open it with &quot;File &gt; Open phone backup…&quot;.</source>
        <translation>此電腦上的裝置程式庫（%1）比 iPhone 的軟體舊，無法備份該 iPhone。請安裝較新的裝置程式庫，或用其他程式進行備份，然後透過「檔案 &gt; 開啟手機備份…」開啟該備份。</translation>
    </message>
    <message>
        <source>This computer is no longer paired with the iPhone. Unlock the iPhone, run &quot;idevicepair pair&quot;, tap &quot;Trust&quot; on the iPhone and enter its passcode, then attach it again.</source>
        <translation>此電腦已不再與 iPhone 配對。請解鎖 iPhone，執行「idevicepair pair」，在 iPhone 上點一下「信任」並輸入其密碼，然後重新連接 iPhone。</translation>
    </message>
    <message>
        <source>There is too little free disk space for the backup: %1 free</source>
        <translation>磁碟可用空間不足，無法備份：可用空間為 %1</translation>
    </message>
    <message>
        <source>, and the last backup of this iPhone takes %1</source>
        <translation>，而此 iPhone 上一次的備份佔用 %1</translation>
    </message>
    <message>
        <source>. Free some space and choose the phone again.</source>
        <translation>。請釋放一些空間，然後重新選擇手機。</translation>
    </message>
</context>
<context>
    <name>BubbleFrame</name>
    <message>
        <source>Edited</source>
        <translation>已編輯</translation>
    </message>
</context>
<context>
    <name>Export</name>
    <message>
        <source>%1: cannot be written</source>
        <translation>%1：無法寫入</translation>
    </message>
    <message>
        <source>Messages</source>
        <translation>訊息</translation>
    </message>
    <message>
        <source>%1: a file of that name is already there</source>
        <translation>%1：同名檔案已存在</translation>
    </message>
    <message>
        <source>%1: the folder is not empty</source>
        <translation>%1：資料夾不是空的</translation>
    </message>
    <message>
        <source>%1: its folder does not exist</source>
        <translation>%1：所在資料夾不存在</translation>
    </message>
    <message>
        <source>%1: cannot be written: %2</source>
        <translation>%1：無法寫入：%2</translation>
    </message>
    <message>
        <source>me</source>
        <translation>我</translation>
    </message>
    <message>
        <source>1 message</source>
        <translation>1 則訊息</translation>
    </message>
    <message>
        <source>%1 messages</source>
        <translation>%1 則訊息</translation>
    </message>
    <message>
        <source>%1: not a folder</source>
        <translation>%1：不是資料夾</translation>
    </message>
    <message>
        <source>%1: cannot be written (%2)</source>
        <translation>%1：無法寫入（%2）</translation>
    </message>
    <message>
        <source>All conversations</source>
        <translation>所有對話</translation>
    </message>
    <message>
        <source>Edited</source>
        <translation>已編輯</translation>
    </message>
    <message>
        <source>the folder for the attachments cannot be made</source>
        <translation>無法建立附件資料夾</translation>
    </message>
    <message>
        <source>the file cannot be written</source>
        <translation>無法寫入該檔案</translation>
    </message>
    <message>
        <source>1 conversation</source>
        <translation>1 個對話</translation>
    </message>
    <message>
        <source>%1 conversations</source>
        <translation>%1 個對話</translation>
    </message>
    <message>
        <source>PDF files can only be written where the fonts can be loaded</source>
        <translation>只有在能載入字型的環境中才能寫入 PDF 檔案</translation>
    </message>
    <message>
        <source>the PDF file cannot be started</source>
        <translation>無法開始寫入 PDF 檔案</translation>
    </message>
    <message>
        <source>No messages</source>
        <translation>沒有訊息</translation>
    </message>
    <message>
        <source>the PDF file cannot be finished</source>
        <translation>無法完成 PDF 檔案</translation>
    </message>
    <message>
        <source>Page %1</source>
        <translation>第 %1 頁</translation>
    </message>
</context>
<context>
    <name>ExportDialog</name>
    <message>
        <source>Plain text</source>
        <translation>純文字</translation>
    </message>
    <message>
        <source>Web page (HTML)</source>
        <translation>網頁 (HTML)</translation>
    </message>
    <message>
        <source>PDF document</source>
        <translation>PDF 文件</translation>
    </message>
    <message>
        <source>Spreadsheet (CSV)</source>
        <translation>試算表 (CSV)</translation>
    </message>
    <message>
        <source>JSON lines</source>
        <translation>JSON 行</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>警告</translation>
    </message>
    <message>
        <source>No program could be started to show
%1</source>
        <translation>無法啟動程式來顯示
%1</translation>
    </message>
    <message>
        <source>Export to folder</source>
        <translation>匯出到資料夾</translation>
    </message>
    <message>
        <source>Export to</source>
        <translation>匯出到</translation>
    </message>
    <message>
        <source>Information</source>
        <translation>資訊</translation>
    </message>
    <message>
        <source>Please choose where the export goes.</source>
        <translation>請選擇匯出的位置。</translation>
    </message>
    <message>
        <source>The first day of the range comes after its last day.</source>
        <translation>範圍的開始日期晚於結束日期。</translation>
    </message>
    <message>
        <source>%1 of %2 messages</source>
        <translation>%1 / %2 則訊息</translation>
    </message>
    <message>
        <source>%1 messages of %2 conversations were written to %3.</source>
        <translation>%2 個對話中的 %1 則訊息已寫入 %3。</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>關閉</translation>
    </message>
    <message>
        <source>The export was cancelled; nothing was written.</source>
        <translation>匯出已取消，未寫入任何內容。</translation>
    </message>
    <message>
        <source>The export could not be written:
%1</source>
        <translation>無法寫入匯出內容：
%1</translation>
    </message>
    <message>
        <source>Export messages</source>
        <translation>匯出訊息</translation>
    </message>
    <message>
        <source>Format:</source>
        <translation>格式：</translation>
    </message>
    <message>
        <source>Messages:</source>
        <translation>訊息：</translation>
    </message>
    <message>
        <source>All conversations</source>
        <translation>所有對話</translation>
    </message>
    <message>
        <source>The open conversation</source>
        <translation>目前開啟的對話</translation>
    </message>
    <message>
        <source>The open conversation: %1</source>
        <translation>目前開啟的對話：%1</translation>
    </message>
    <message>
        <source>The selected messages</source>
        <translation>選取的訊息</translation>
    </message>
    <message>
        <source>The selected messages (%1)</source>
        <translation>選取的訊息（%1）</translation>
    </message>
    <message>
        <source>Only messages from</source>
        <translation>僅限以下日期的訊息：從</translation>
    </message>
    <message>
        <source>to</source>
        <translation>到</translation>
    </message>
    <message>
        <source>Include attachments</source>
        <translation>包含附件</translation>
    </message>
    <message>
        <source>Save to:</source>
        <translation>儲存到：</translation>
    </message>
    <message>
        <source>Browse…</source>
        <translation>瀏覽…</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>開啟</translation>
    </message>
    <message>
        <source>Show in folder</source>
        <translation>在資料夾中顯示</translation>
    </message>
    <message>
        <source>Export</source>
        <translation>匯出</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
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
        <translation>複製</translation>
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
        <translation>複製</translation>
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
        <translation>警告：此動作會將簡訊
複製到 .txt 檔案；</translation>
    </message>
    <message>
        <source>Choose the file path:</source>
        <translation>選擇檔案路徑：</translation>
    </message>
    <message>
        <source>Browse</source>
        <translation>瀏覽</translation>
    </message>
    <message>
        <source>Open output file</source>
        <translation>開啟輸出檔案</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>確定</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Save To txt</source>
        <translation>儲存為 txt</translation>
    </message>
    <message>
        <source>txt (*.txt)</source>
        <translation>文字 (*.txt)</translation>
    </message>
</context>
<context>
    <name>LoadingLine</name>
    <message>
        <source>Reading messages...</source>
        <translation>正在讀取簡訊...</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
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
        <translation>iPhone 已中斷連線</translation>
    </message>
    <message>
        <source>BACKUP FILES</source>
        <translation>備份檔案</translation>
    </message>
    <message>
        <source>TextLabel</source>
        <translation>TextLabel</translation>
    </message>
    <message>
        <source>BackUp iPhone SMS to Computer</source>
        <translation>將 iPhone 簡訊備份到電腦</translation>
    </message>
    <message>
        <source>BackUp</source>
        <translation>備份</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>複製</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>檔案(&amp;F)</translation>
    </message>
    <message>
        <source>Edit</source>
        <translation>編輯</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>開啟</translation>
    </message>
    <message>
        <source>Open phone backup…</source>
        <translation>開啟手機備份…</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>結束</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>刪除</translation>
    </message>
    <message>
        <source>Downloading...</source>
        <translation>正在下載...</translation>
    </message>
    <message>
        <source>Speed:</source>
        <translation>速度：</translation>
    </message>
    <message>
        <source>0kB/s</source>
        <translation>0kB/s</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>取消(&amp;C)</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>移除</translation>
    </message>
    <message>
        <source>SMS:0
Contact:0
iPhone Serial:No device</source>
        <translation>簡訊：0
聯絡人：0
iPhone 序號：無裝置</translation>
    </message>
    <message>
        <source>Mobile Losted</source>
        <translation>手機已中斷連線</translation>
    </message>
    <message>
        <source>Mobile connected</source>
        <translation>手機已連線</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>警告</translation>
    </message>
    <message>
        <source>SMS:</source>
        <translation>簡訊：</translation>
    </message>
    <message>
        <source>
Contact:</source>
        <translation>
聯絡人：</translation>
    </message>
    <message>
        <source>iPhone Serial:</source>
        <translation>iPhone 序號：</translation>
    </message>
    <message>
        <source>Information</source>
        <translation>資訊</translation>
    </message>
    <message>
        <source>iOS %1</source>
        <translation>iOS %1</translation>
    </message>
    <message>
        <source>This folder is no phone backup that can be read:
%1

%2</source>
        <translation>此資料夾不是可讀取的手機備份：
%1

%2</translation>
    </message>
    <message>
        <source>There is no .sms backup or phone backup folder at
%1</source>
        <translation>此處既沒有 .sms 備份也沒有手機備份資料夾：
%1</translation>
    </message>
    <message>
        <source>No message in your device!!!</source>
        <translation>您的裝置中沒有簡訊！</translation>
    </message>
    <message>
        <source>Please make sure that iPhone has been connected.</source>
        <translation>請確認 iPhone 已連線。</translation>
    </message>
    <message>
        <source>Backup databace failed!!!</source>
        <translation>備份資料庫失敗！</translation>
    </message>
    <message>
        <source>Open a BackUp</source>
        <translation>開啟備份</translation>
    </message>
    <message>
        <source>sms(*.sms)</source>
        <translation>簡訊備份 (*.sms)</translation>
    </message>
    <message>
        <source>Are you sure to do this?</source>
        <translation>確定要這樣做嗎？</translation>
    </message>
    <message>
        <source>The backup file could not be deleted:
%1</source>
        <translation>無法刪除備份檔案：
%1</translation>
    </message>
    <message>
        <source>The text file could not be written:
%1</source>
        <translation>無法寫入文字檔：
%1</translation>
    </message>
    <message>
        <source>No data sorce!!!Please check one!!!</source>
        <translation>沒有資料來源！請選擇一個！</translation>
    </message>
    <message>
        <source>Update</source>
        <translation>更新</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>錯誤</translation>
    </message>
    <message>
        <source>Download error</source>
        <translation>下載錯誤</translation>
    </message>
    <message>
        <source>Ok</source>
        <translation>確定</translation>
    </message>
    <message>
        <source>Success</source>
        <translation>成功</translation>
    </message>
    <message>
        <source>Download Success,do you want to install?</source>
        <translation>下載成功，要立即安裝嗎？</translation>
    </message>
    <message>
        <source>&amp;Install</source>
        <translation>安裝(&amp;I)</translation>
    </message>
    <message>
        <source>The downloaded file could not be started:
%1</source>
        <translation>無法啟動下載的檔案：
%1</translation>
    </message>
    <message>
        <source>Backing up the attachments...</source>
        <translation>正在備份附件...</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Export…</source>
        <translation>匯出…</translation>
    </message>
    <message>
        <source>The iPhone could not be backed up: it did not tell its identifier. Unlock it, attach it again and confirm that this computer is trusted.</source>
        <translation>無法備份 iPhone：它沒有提供其識別碼。請解鎖 iPhone，重新連接，並確認信任這台電腦。</translation>
    </message>
    <message>
        <source>BackUp iPhone</source>
        <translation>備份 iPhone</translation>
    </message>
    <message>
        <source>The message database was not found in the iPhone&apos;s backup:
%1</source>
        <translation>在 iPhone 的備份中找不到訊息資料庫：
%1</translation>
    </message>
    <message>
        <source>The iPhone&apos;s backup holds no address book: names cannot be shown.</source>
        <translation>iPhone 的備份中沒有通訊錄：無法顯示姓名。</translation>
    </message>
    <message>
        <source>The backup file does not exist any more:
%1</source>
        <translation>備份檔案已不存在：
%1</translation>
    </message>
    <message>
        <source>The phone backup cannot be read:
%1

%2</source>
        <translation>無法讀取手機備份：
%1

%2</translation>
    </message>
    <message>
        <source>This file is damaged: %1.</source>
        <translation>此檔案已損毀：%1。</translation>
    </message>
</context>
<context>
    <name>MsgdeskCli</name>
    <message>
        <source>%1 needs a value</source>
        <translation>%1 需要一個值</translation>
    </message>
    <message>
        <source>unknown option %1</source>
        <translation>未知的選項 %1</translation>
    </message>
    <message>
        <source>me</source>
        <translation>我</translation>
    </message>
    <message>
        <source>yes</source>
        <translation>是</translation>
    </message>
    <message>
        <source>no</source>
        <translation>否</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1：%2</translation>
    </message>
    <message>
        <source>Device name: %1</source>
        <translation>裝置名稱：%1</translation>
    </message>
    <message>
        <source>iOS version: %1</source>
        <translation>iOS 版本：%1</translation>
    </message>
    <message>
        <source>Backup date: %1</source>
        <translation>備份日期：%1</translation>
    </message>
    <message>
        <source>Layout: %1</source>
        <translation>結構：%1</translation>
    </message>
    <message>
        <source>Encrypted: %1</source>
        <translation>已加密：%1</translation>
    </message>
    <message>
        <source>Complete: %1</source>
        <translation>完整：%1</translation>
    </message>
    <message>
        <source>modern message database (iOS 6 and later)</source>
        <translation>新版訊息資料庫（iOS 6 及更新版本）</translation>
    </message>
    <message>
        <source>legacy message database (iOS 5 and before)</source>
        <translation>舊版訊息資料庫（iOS 5 及更早版本）</translation>
    </message>
    <message>
        <source>Messages: %1</source>
        <translation>簡訊：%1</translation>
    </message>
    <message>
        <source>Conversations: %1</source>
        <translation>對話：%1</translation>
    </message>
    <message>
        <source>Contacts: %1</source>
        <translation>聯絡人：%1</translation>
    </message>
    <message>
        <source>msgdesk-cli: %1: cannot be written</source>
        <translation>msgdesk-cli：%1：無法寫入</translation>
    </message>
    <message>
        <source>Password of the backup of %1: </source>
        <translation>%1 的備份密碼：</translation>
    </message>
    <message>
        <source>no command given</source>
        <translation>沒有提供指令</translation>
    </message>
    <message>
        <source>unknown command %1</source>
        <translation>未知的指令 %1</translation>
    </message>
    <message>
        <source>%1 takes %2</source>
        <translation>%1 需要 %2</translation>
    </message>
    <message>
        <source>msgdesk-cli: %1: no conversation %2</source>
        <translation>msgdesk-cli：%1：沒有對話 %2</translation>
    </message>
    <message>
        <source>%1: no such file</source>
        <translation>%1：檔案不存在</translation>
    </message>
    <message>
        <source>%1: not an address book</source>
        <translation>%1：不是通訊錄</translation>
    </message>
    <message>
        <source>%1: the backup is encrypted: give its password in MSGDESK_BACKUP_PASSWORD or type it at the prompt</source>
        <translation>%1：該備份已加密：請在 MSGDESK_BACKUP_PASSWORD 中提供密碼，或在提示時輸入</translation>
    </message>
    <message>
        <source>%1: wrong password for this backup</source>
        <translation>%1：此備份的密碼錯誤</translation>
    </message>
    <message>
        <source>%1: the backup cannot be unlocked: %2</source>
        <translation>%1：無法解鎖該備份：%2</translation>
    </message>
    <message>
        <source>%1: its message database is of no layout msgdesk knows</source>
        <translation>%1：其訊息資料庫的結構 msgdesk 無法辨識</translation>
    </message>
    <message>
        <source>%1: not a message database (the file is not an SQLite database or is damaged)</source>
        <translation>%1：不是訊息資料庫（該檔案不是 SQLite 資料庫或已損毀）</translation>
    </message>
    <message>
        <source>%1: not a message database (it has no message table)</source>
        <translation>%1：不是訊息資料庫（沒有訊息表格）</translation>
    </message>
    <message>
        <source>%1: the message table is of no layout msgdesk knows</source>
        <translation>%1：訊息表格的結構 msgdesk 無法辨識</translation>
    </message>
    <message>
        <source>present</source>
        <translation>存在</translation>
    </message>
    <message>
        <source>msgdesk-cli: %1: %2</source>
        <translation>msgdesk-cli：%1：%2</translation>
    </message>
    <message>
        <source>msgdesk-cli: %1: a file of that name is already there</source>
        <translation>msgdesk-cli：%1：已有同名檔案</translation>
    </message>
    <message>
        <source>msgdesk-cli: %1: cannot be written: %2</source>
        <translation>msgdesk-cli：%1：無法寫入：%2</translation>
    </message>
    <message>
        <source>--json is for list, show, info, search and attachments</source>
        <translation>--json 僅適用於 list、show、info、search 和 attachments</translation>
    </message>
    <message>
        <source>--conversation is for export, search and attachments</source>
        <translation>--conversation 僅適用於 export、search 和 attachments</translation>
    </message>
    <message>
        <source>--save is for attachments</source>
        <translation>--save 僅適用於 attachments</translation>
    </message>
    <message>
        <source>--save and --json cannot be combined</source>
        <translation>--save 和 --json 不能同時使用</translation>
    </message>
    <message>
        <source>--contacts is for list, show, export, search, attachments and backup</source>
        <translation>--contacts 僅適用於 list、show、export、search、attachments 和 backup</translation>
    </message>
    <message>
        <source>%1: the file is damaged: %2; what could be read is shown</source>
        <translation>%1：檔案已損毀：%2；僅顯示能夠讀取的部分</translation>
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
        <translation>用法：msgdesk-cli list   [--json] [--contacts FILE] SOURCE
      msgdesk-cli show   [--json] [--contacts FILE] SOURCE KEY
      msgdesk-cli export [--format txt|html|pdf|csv|json] [--attachments] [--contacts FILE]
                         [--conversation KEY] [--from DATE] [--to DATE] SOURCE OUT
      msgdesk-cli info   [--json] SOURCE
      msgdesk-cli search [--json] [--contacts FILE] [--conversation KEY] SOURCE QUERY
      msgdesk-cli attachments [--json] [--contacts FILE] [--conversation KEY] [--save DIR] SOURCE
      msgdesk-cli backup [--contacts FILE] SOURCE FILE
      msgdesk-cli --version | --help
SOURCE 是 .sms 備份檔案、手機的訊息資料庫或手機備份資料夾；KEY 是
「list」所顯示的對話鍵。加密備份的密碼取自 MSGDESK_BACKUP_PASSWORD，
否則會提示輸入。來源永遠不會被修改。
export 預設寫入 txt；DATE 為本地時間的 YYYY-MM-DD；OUT 不得已存在
（html：新的或空的資料夾）。
</translation>
    </message>
    <message>
        <source>--format, --attachments, --from and --to are for export</source>
        <translation>--format、--attachments、--from 和 --to 僅用於 export</translation>
    </message>
    <message>
        <source>unknown format %1 (one of %2)</source>
        <translation>未知格式 %1（可用：%2）</translation>
    </message>
    <message>
        <source>--attachments is for the html and pdf formats</source>
        <translation>--attachments 僅用於 html 和 pdf 格式</translation>
    </message>
    <message>
        <source>%1 %2: not a date of the form YYYY-MM-DD</source>
        <translation>%1 %2：不是 YYYY-MM-DD 格式的日期</translation>
    </message>
    <message>
        <source>--from %1 is after --to %2</source>
        <translation>--from %1 晚於 --to %2</translation>
    </message>
    <message>
        <source>%1: cannot be written</source>
        <translation>%1：無法寫入</translation>
    </message>
    <message>
        <source>cannot be told while the backup is locked</source>
        <translation>備份鎖定期間無法判斷</translation>
    </message>
    <message>
        <source>%1: the file is damaged: %2; nothing could be read</source>
        <translation>%1：檔案已損毀：%2；無法讀取任何內容</translation>
    </message>
</context>
<context>
    <name>MsgdeskStartup</name>
    <message>
        <source>Device library: %1
</source>
        <translation>裝置程式庫：%1
</translation>
    </message>
    <message>
        <source>Device library: not found (%1)
</source>
        <translation>裝置程式庫：找不到（%1）
</translation>
    </message>
    <message>
        <source>Backup tool: %1
</source>
        <translation>備份工具：%1
</translation>
    </message>
    <message>
        <source>Backup tool: not found (%1)
</source>
        <translation>備份工具：找不到（%1）
</translation>
    </message>
    <message>
        <source>ignored: %1
</source>
        <translation>已忽略：%1
</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Error</source>
        <translation>錯誤</translation>
    </message>
    <message>
        <source>Delete Error</source>
        <translation>刪除錯誤</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>警告</translation>
    </message>
    <message>
        <source>The messages are deleted, but another program is reading the file: their text stays in it until that program closes it. It is wiped as soon as that program lets go.</source>
        <translation>簡訊已刪除，但另一個程式正在讀取該檔案：在該程式關閉檔案之前，這些簡訊的文字仍留在檔案中。該程式一釋放檔案，這些文字就會被清除。</translation>
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
        <translation>搜尋簡訊</translation>
    </message>
</context>
<context>
    <name>SearchResultsPage</name>
    <message>
        <source>1 message</source>
        <translation>1 則簡訊</translation>
    </message>
    <message>
        <source>%1 messages</source>
        <translation>%1 則簡訊</translation>
    </message>
    <message>
        <source>1 conversation</source>
        <translation>1 個對話</translation>
    </message>
    <message>
        <source>%1 conversations</source>
        <translation>%1 個對話</translation>
    </message>
    <message>
        <source>Conversations</source>
        <translation>對話</translation>
    </message>
    <message>
        <source>Messages</source>
        <translation>簡訊</translation>
    </message>
    <message>
        <source>me</source>
        <translation>我</translation>
    </message>
    <message>
        <source>Searching…</source>
        <translation>正在搜尋…</translation>
    </message>
    <message>
        <source>No messages found</source>
        <translation>找不到簡訊</translation>
    </message>
    <message>
        <source>%1 in %2</source>
        <translation>%2中的 %1</translation>
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
        <translation>用法：msgdesk [路徑]
      msgdesk --version | --help | --check-device-support

顯示透過 USB 連接的 iPhone、其備份以及 .sms 備份檔案中的簡訊。
若提供路徑，它是啟動時要開啟的 .sms 備份檔案或手機備份資料夾。

  --version               顯示版本並結束
  --help                  顯示此說明並結束
  --check-device-support  顯示在何處找到裝置支援並結束
                          （找不到時狀態為 1）
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
        <translation>編輯(&amp;E)</translation>
    </message>
    <message>
        <source>Edit</source>
        <translation>編輯</translation>
    </message>
    <message>
        <source>&amp;Done</source>
        <translation>完成(&amp;D)</translation>
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
        <translation>簡訊</translation>
    </message>
    <message>
        <source>4444444444444</source>
        <translation>4444444444444</translation>
    </message>
    <message>
        <source>Edit</source>
        <translation>編輯</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>刪除</translation>
    </message>
    <message>
        <source>Done</source>
        <translation>完成</translation>
    </message>
    <message>
        <source>Clear All</source>
        <translation>全部清除</translation>
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
        <translation>明天八點車站見。</translation>
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
        <translation>刪除</translation>
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
        <translation>資訊</translation>
    </message>
    <message>
        <source>%1 is not in this backup.</source>
        <translation>此備份中沒有 %1。</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>警告</translation>
    </message>
    <message>
        <source>The attachment cannot be opened.</source>
        <translation>無法開啟附件。</translation>
    </message>
    <message>
        <source>No program to open %1 was found.</source>
        <translation>找不到可以開啟 %1 的程式。</translation>
    </message>
    <message>
        <source>Save attachment</source>
        <translation>儲存附件</translation>
    </message>
    <message>
        <source>The attachment could not be saved.</source>
        <translation>無法儲存附件。</translation>
    </message>
    <message>
        <source>This conversation has no attachments.</source>
        <translation>此對話沒有附件。</translation>
    </message>
    <message>
        <source>Save all attachments</source>
        <translation>儲存所有附件</translation>
    </message>
    <message numerus="yes">
        <source>%n attachment(s) saved.</source>
        <translation>
            <numerusform>已儲存 %n 個附件。</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n not in this backup.</source>
        <translation>
            <numerusform>%n 個不在此備份中。</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n could not be saved.</source>
        <translation>
            <numerusform>%n 個無法儲存。</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>views::AttachmentStrip</name>
    <message>
        <source>not in this backup</source>
        <translation>不在此備份中</translation>
    </message>
    <message>
        <source>Voice message</source>
        <translation>語音訊息</translation>
    </message>
    <message>
        <source>Save attachment…</source>
        <translation>儲存附件…</translation>
    </message>
    <message>
        <source>Save all attachments…</source>
        <translation>儲存所有附件…</translation>
    </message>
</context>
<context>
    <name>views::EventText</name>
    <message>
        <source>You</source>
        <translation>您</translation>
    </message>
    <message>
        <source>you</source>
        <translation>您</translation>
    </message>
    <message>
        <source>%1 added %2</source>
        <translation>%1 加入了 %2</translation>
    </message>
    <message>
        <source>%1 removed %2</source>
        <translation>%1 移除了 %2</translation>
    </message>
    <message>
        <source>%1 removed the conversation&apos;s name</source>
        <translation>%1 刪除了對話名稱</translation>
    </message>
    <message>
        <source>%1 named the conversation “%2”</source>
        <translation>%1 將對話命名為「%2」</translation>
    </message>
    <message>
        <source>%1 left the conversation</source>
        <translation>%1 離開了對話</translation>
    </message>
    <message>
        <source>%1 changed the conversation</source>
        <translation>%1 變更了對話</translation>
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
        <translation>關閉</translation>
    </message>
    <message>
        <source>Restore</source>
        <translation>還原</translation>
    </message>
</context>
</TS>
