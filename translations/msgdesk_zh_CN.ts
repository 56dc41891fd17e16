<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN" sourcelanguage="en_US">
<context>
    <name>AboutBox</name>
    <message>
        <source>Version %1</source>
        <translation>版本 %1</translation>
    </message>
    <message>
        <source>The text messages of an iPhone: read from the phone or its backups, backed up, browsed and exported.</source>
        <translation>iPhone 的短信：从手机或其备份中读取、备份、浏览和导出。</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>帮助(&amp;H)</translation>
    </message>
    <message>
        <source>&amp;About %1</source>
        <translation>关于 %1(&amp;A)</translation>
    </message>
    <message>
        <source>About %1</source>
        <translation>关于 %1</translation>
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
        <translation>备份已损坏：%1</translation>
    </message>
    <message>
        <source>Choose a phone backup folder</source>
        <translation>选择手机备份文件夹</translation>
    </message>
    <message>
        <source>Choose the phone backup to open:</source>
        <translation>选择要打开的手机备份：</translation>
    </message>
    <message>
        <source>Phone</source>
        <translation>手机</translation>
    </message>
    <message>
        <source>Version</source>
        <translation>版本</translation>
    </message>
    <message>
        <source>Backed up</source>
        <translation>已备份</translation>
    </message>
    <message>
        <source>State</source>
        <translation>状态</translation>
    </message>
    <message>
        <source>No phone backup was found in the usual places. Choose a folder that holds one.</source>
        <translation>在常用位置没有找到手机备份。请选择一个包含备份的文件夹。</translation>
    </message>
    <message>
        <source>Choose folder…</source>
        <translation>选择文件夹…</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>打开</translation>
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
        <translation>密码错误，请重试。</translation>
    </message>
    <message>
        <source>Encrypted backup</source>
        <translation>加密的备份</translation>
    </message>
    <message>
        <source>This backup is encrypted. Enter the password that was set for the phone&apos;s backups:</source>
        <translation>此备份已加密。请输入为手机备份设置的密码：</translation>
    </message>
    <message>
        <source>%1, backed up %2</source>
        <translation>%1，备份于 %2</translation>
    </message>
    <message>
        <source>Checking the password… %p%</source>
        <translation>正在检查密码… %p%</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>确定</translation>
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
        <translation>正在取消备份……</translation>
    </message>
    <message>
        <source>Backing up the iPhone. The first backup of a phone can take a long time.</source>
        <translation>正在备份 iPhone。手机的第一次备份可能需要很长时间。</translation>
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
        <translation>无法启动备份工具 %1。
请安装 Debian 软件包 libimobiledevice-utils 和 usbmuxd，并将 msgdesk 的设备支持文件保留在程序旁边。</translation>
    </message>
    <message>
        <source>The backup was cancelled. The phone&apos;s previous backup is kept.</source>
        <translation>备份已取消。手机之前的备份仍然保留。</translation>
    </message>
    <message>
        <source>The backup tool stopped unexpectedly. The phone&apos;s previous backup is kept.</source>
        <translation>备份工具意外停止。手机之前的备份仍然保留。</translation>
    </message>
    <message>
        <source>The backup of the phone failed (status %1).</source>
        <translation>手机备份失败（状态 %1）。</translation>
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
        <translation>iPhone 已锁定。请将其解锁，并在备份开始期间保持解锁；在 iOS 16.1 及更高版本上，当 iPhone 要求输入密码时，请在 iPhone 上输入。然后重新选择手机。</translation>
    </message>
    <message>
        <source>an unknown version</source>
        <translation>未知版本</translation>
    </message>
    <message>
        <source>The device library on this computer (%1) is older than the iPhone&apos;s software and cannot back it up. Install a newer device library, or make the backup with another program and open it with &quot;File &gt; Open phone backup…&quot;.</source>
        <translation>此电脑上的设备库（%1）比 iPhone 的软件旧，无法备份该 iPhone。请安装较新的设备库，或用其他程序进行备份，然后通过“文件 &gt; 打开手机备份…”打开该备份。</translation>
    </message>
    <message>
        <source>This computer is no longer paired with the iPhone. Unlock the iPhone, run &quot;idevicepair pair&quot;, tap &quot;Trust&quot; on the iPhone and enter its passcode, then attach it again.</source>
        <translation>此电脑已不再与 iPhone 配对。请解锁 iPhone，运行“idevicepair pair”，在 iPhone 上轻点“信任”并输入其密码，然后重新连接 iPhone。</translation>
    </message>
    <message>
        <source>There is too little free disk space for the backup: %1 free</source>
        <translation>磁盘可用空间不足，无法备份：可用空间为 %1</translation>
    </message>
    <message>
        <source>, and the last backup of this iPhone takes %1</source>
        <translation>，而此 iPhone 上一次的备份占用 %1</translation>
    </message>
    <message>
        <source>. Free some space and choose the phone again.</source>
        <translation>。请释放一些空间，然后重新选择手机。</translation>
    </message>
</context>
<context>
    <name>BubbleFrame</name>
    <message>
        <source>Edited</source>
        <translation>已编辑</translation>
    </message>
</context>
<context>
    <name>Export</name>
    <message>
        <source>%1: cannot be written</source>
        <translation>%1：无法写入</translation>
    </message>
    <message>
        <source>Messages</source>
        <translation>信息</translation>
    </message>
    <message>
        <source>%1: a file of that name is already there</source>
        <translation>%1：同名文件已存在</translation>
    </message>
    <message>
        <source>%1: the folder is not empty</source>
        <translation>%1：文件夹不是空的</translation>
    </message>
    <message>
        <source>%1: its folder does not exist</source>
        <translation>%1：所在文件夹不存在</translation>
    </message>
    <message>
        <source>%1: cannot be written: %2</source>
        <translation>%1：无法写入：%2</translation>
    </message>
    <message>
        <source>me</source>
        <translation>我</translation>
    </message>
    <message>
        <source>1 message</source>
        <translation>1 条信息</translation>
    </message>
    <message>
        <source>%1 messages</source>
        <translation>%1 条信息</translation>
    </message>
    <message>
        <source>%1: not a folder</source>
        <translation>%1：不是文件夹</translation>
    </message>
    <message>
        <source>%1: cannot be written (%2)</source>
        <translation>%1：无法写入（%2）</translation>
    </message>
    <message>
        <source>All conversations</source>
        <translation>所有对话</translation>
    </message>
    <message>
        <source>Edited</source>
        <translation>已编辑</translation>
    </message>
    <message>
        <source>the folder for the attachments cannot be made</source>
        <translation>无法创建附件文件夹</translation>
    </message>
    <message>
        <source>the file cannot be written</source>
        <translation>无法写入该文件</translation>
    </message>
    <message>
        <source>1 conversation</source>
        <translation>1 个对话</translation>
    </message>
    <message>
        <source>%1 conversations</source>
        <translation>%1 个对话</translation>
    </message>
    <message>
        <source>PDF files can only be written where the fonts can be loaded</source>
        <translation>只有在能加载字体的环境中才能写入 PDF 文件</translation>
    </message>
    <message>
        <source>the PDF file cannot be started</source>
        <translation>无法开始写入 PDF 文件</translation>
    </message>
    <message>
        <source>No messages</source>
        <translation>没有信息</translation>
    </message>
    <message>
        <source>the PDF file cannot be finished</source>
        <translation>无法完成 PDF 文件</translation>
    </message>
    <message>
        <source>Page %1</source>
        <translation>第 %1 页</translation>
    </message>
</context>
<context>
    <name>ExportDialog</name>
    <message>
        <source>Plain text</source>
        <translation>纯文本</translation>
    </message>
    <message>
        <source>Web page (HTML)</source>
        <translation>网页 (HTML)</translation>
    </message>
    <message>
        <source>PDF document</source>
        <translation>PDF 文档</translation>
    </message>
    <message>
        <source>Spreadsheet (CSV)</source>
        <translation>电子表格 (CSV)</translation>
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
        <translation>无法启动程序来显示
%1</translation>
    </message>
    <message>
        <source>Export to folder</source>
        <translation>导出到文件夹</translation>
    </message>
    <message>
        <source>Export to</source>
        <translation>导出到</translation>
    </message>
    <message>
        <source>Information</source>
        <translation>信息</translation>
    </message>
    <message>
        <source>Please choose where the export goes.</source>
        <translation>请选择导出的位置。</translation>
    </message>
    <message>
        <source>The first day of the range comes after its last day.</source>
        <translation>范围的开始日期晚于结束日期。</translation>
    </message>
    <message>
        <source>%1 of %2 messages</source>
        <translation>%1 / %2 条信息</translation>
    </message>
    <message>
        <source>%1 messages of %2 conversations were written to %3.</source>
        <translation>%2 个对话中的 %1 条信息已写入 %3。</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>关闭</translation>
    </message>
    <message>
        <source>The export was cancelled; nothing was written.</source>
        <translation>导出已取消，未写入任何内容。</translation>
    </message>
    <message>
        <source>The export could not be written:
%1</source>
        <translation>无法写入导出内容：
%1</translation>
    </message>
    <message>
        <source>Export messages</source>
        <translation>导出信息</translation>
    </message>
    <message>
        <source>Format:</source>
        <translation>格式：</translation>
    </message>
    <message>
        <source>Messages:</source>
        <translation>信息：</translation>
    </message>
    <message>
        <source>All conversations</source>
        <translation>所有对话</translation>
    </message>
    <message>
        <source>The open conversation</source>
        <translation>当前打开的对话</translation>
    </message>
    <message>
        <source>The open conversation: %1</source>
        <translation>当前打开的对话：%1</translation>
    </message>
    <message>
        <source>The selected messages</source>
        <translation>选中的信息</translation>
    </message>
    <message>
        <source>The selected messages (%1)</source>
        <translation>选中的信息（%1）</translation>
    </message>
    <message>
        <source>Only messages from</source>
        <translation>仅限以下日期的信息：从</translation>
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
        <translation>保存到：</translation>
    </message>
    <message>
        <source>Browse…</source>
        <translation>浏览…</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>打开</translation>
    </message>
    <message>
        <source>Show in folder</source>
        <translation>在文件夹中显示</translation>
    </message>
    <message>
        <source>Export</source>
        <translation>导出</translation>
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
        <translation>复制</translation>
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
        <translation>复制</translation>
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
        <translation>警告：此操作会将短信
复制到 .txt 文件；</translation>
    </message>
    <message>
        <source>Choose the file path:</source>
        <translation>选择文件路径：</translation>
    </message>
    <message>
        <source>Browse</source>
        <translation>浏览</translation>
    </message>
    <message>
        <source>Open output file</source>
        <translation>打开输出文件</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>确定</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Save To txt</source>
        <translation>保存为 txt</translation>
    </message>
    <message>
        <source>txt (*.txt)</source>
        <translation>文本 (*.txt)</translation>
    </message>
</context>
<context>
    <name>LoadingLine</name>
    <message>
        <source>Reading messages...</source>
        <translation>正在读取短信...</translation>
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
        <translation>iPhone 已断开</translation>
    </message>
    <message>
        <source>BACKUP FILES</source>
        <translation>备份文件</translation>
    </message>
    <message>
        <source>TextLabel</source>
        <translation>TextLabel</translation>
    </message>
    <message>
        <source>BackUp iPhone SMS to Computer</source>
        <translation>将 iPhone 短信备份到电脑</translation>
    </message>
    <message>
        <source>BackUp</source>
        <translation>备份</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>复制</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>文件(&amp;F)</translation>
    </message>
    <message>
        <source>Edit</source>
        <translation>编辑</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>打开</translation>
    </message>
    <message>
        <source>Open phone backup…</source>
        <translation>打开手机备份…</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>退出</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>删除</translation>
    </message>
    <message>
        <source>Downloading...</source>
        <translation>正在下载...</translation>
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
        <translation>短信：0
联系人：0
iPhone 序列号：无设备</translation>
    </message>
    <message>
        <source>Mobile Losted</source>
        <translation>手机已断开</translation>
    </message>
    <message>
        <source>Mobile connected</source>
        <translation>手机已连接</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>警告</translation>
    </message>
    <message>
        <source>SMS:</source>
        <translation>短信：</translation>
    </message>
    <message>
        <source>
Contact:</source>
        <translation>
联系人：</translation>
    </message>
    <message>
        <source>iPhone Serial:</source>
        <translation>iPhone 序列号：</translation>
    </message>
    <message>
        <source>Information</source>
        <translation>信息</translation>
    </message>
    <message>
        <source>iOS %1</source>
        <translation>iOS %1</translation>
    </message>
    <message>
        <source>This folder is no phone backup that can be read:
%1

%2</source>
        <translation>此文件夹不是可读取的手机备份：
%1

%2</translation>
    </message>
    <message>
        <source>There is no .sms backup or phone backup folder at
%1</source>
        <translation>此处既没有 .sms 备份也没有手机备份文件夹：
%1</translation>
    </message>
    <message>
        <source>No message in your device!!!</source>
        <translation>您的设备中没有短信！</translation>
    </message>
    <message>
        <source>Please make sure that iPhone has been connected.</source>
        <translation>请确认 iPhone 已连接。</translation>
    </message>
    <message>
        <source>Backup databace failed!!!</source>
        <translation>备份数据库失败！</translation>
    </message>
    <message>
        <source>Open a BackUp</source>
        <translation>打开备份</translation>
    </message>
    <message>
        <source>sms(*.sms)</source>
        <translation>短信备份 (*.sms)</translation>
    </message>
    <message>
        <source>Are you sure to do this?</source>
        <translation>确定要这样做吗？</translation>
    </message>
    <message>
        <source>The backup file could not be deleted:
%1</source>
        <translation>无法删除备份文件：
%1</translation>
    </message>
    <message>
        <source>The text file could not be written:
%1</source>
        <translation>无法写入文本文件：
%1</translation>
    </message>
    <message>
        <source>No data sorce!!!Please check one!!!</source>
        <translation>没有数据源！请选择一个！</translation>
    </message>
    <message>
        <source>Update</source>
        <translation>更新</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>错误</translation>
    </message>
    <message>
        <source>Download error</source>
        <translation>下载出错</translation>
    </message>
    <message>
        <source>Ok</source>
        <translation>确定</translation>
    </message>
    <message>
        <source>Success</source>
        <translation>成功</translation>
    </message>
    <message>
        <source>Download Success,do you want to install?</source>
        <translation>下载成功，是否现在安装？</translation>
    </message>
    <message>
        <source>&amp;Install</source>
        <translation>安装(&amp;I)</translation>
    </message>
    <message>
        <source>The downloaded file could not be started:
%1</source>
        <translation>无法启动下载的文件：
%1</translation>
    </message>
    <message>
        <source>Backing up the attachments...</source>
        <translation>正在备份附件...</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Export…</source>
        <translation>导出…</translation>
    </message>
    <message>
        <source>The iPhone could not be backed up: it did not tell its identifier. Unlock it, attach it again and confirm that this computer is trusted.</source>
        <translation>无法备份 iPhone：它没有提供其标识符。请解锁 iPhone，重新连接，并确认信任这台电脑。</translation>
    </message>
    <message>
        <source>BackUp iPhone</source>
        <translation>备份 iPhone</translation>
    </message>
    <message>
        <source>The message database was not found in the iPhone&apos;s backup:
%1</source>
        <translation>在 iPhone 的备份中找不到短信数据库：
%1</translation>
    </message>
    <message>
        <source>The iPhone&apos;s backup holds no address book: names cannot be shown.</source>
        <translation>iPhone 的备份中没有通讯录：无法显示姓名。</translation>
    </message>
    <message>
        <source>The backup file does not exist any more:
%1</source>
        <translation>备份文件已不存在：
%1</translation>
    </message>
    <message>
        <source>The phone backup cannot be read:
%1

%2</source>
        <translation>无法读取手机备份：
%1

%2</translation>
    </message>
    <message>
        <source>This file is damaged: %1.</source>
        <translation>此文件已损坏：%1。</translation>
    </message>
</context>
<context>
    <name>MsgdeskCli</name>
    <message>
        <source>%1 needs a value</source>
        <translation>%1 需要一个值</translation>
    </message>
    <message>
        <source>unknown option %1</source>
        <translation>未知选项 %1</translation>
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
        <translation>设备名称：%1</translation>
    </message>
    <message>
        <source>iOS version: %1</source>
        <translation>iOS 版本：%1</translation>
    </message>
    <message>
        <source>Backup date: %1</source>
        <translation>备份日期：%1</translation>
    </message>
    <message>
        <source>Layout: %1</source>
        <translation>结构：%1</translation>
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
        <translation>新版短信数据库（iOS 6 及更高版本）</translation>
    </message>
    <message>
        <source>legacy message database (iOS 5 and before)</source>
        <translation>旧版短信数据库（iOS 5 及更早版本）</translation>
    </message>
    <message>
        <source>Messages: %1</source>
        <translation>短信：%1</translation>
    </message>
    <message>
        <source>Conversations: %1</source>
        <translation>对话：%1</translation>
    </message>
    <message>
        <source>Contacts: %1</source>
        <translation>联系人：%1</translation>
    </message>
    <message>
        <source>msgdesk-cli: %1: cannot be written</source>
        <translation>msgdesk-cli：%1：无法写入</translation>
    </message>
    <message>
        <source>Password of the backup of %1: </source>
        <translation>%1 的备份密码：</translation>
    </message>
    <message>
        <source>no command given</source>
        <translation>没有给出命令</translation>
    </message>
    <message>
        <source>unknown command %1</source>
        <translation>未知命令 %1</translation>
    </message>
    <message>
        <source>%1 takes %2</source>
        <translation>%1 需要 %2</translation>
    </message>
    <message>
        <source>msgdesk-cli: %1: no conversation %2</source>
        <translation>msgdesk-cli：%1：没有对话 %2</translation>
    </message>
    <message>
        <source>%1: no such file</source>
        <translation>%1：文件不存在</translation>
    </message>
    <message>
        <source>%1: not an address book</source>
        <translation>%1：不是通讯录</translation>
    </message>
    <message>
        <source>%1: the backup is encrypted: give its password in MSGDESK_BACKUP_PASSWORD or type it at the prompt</source>
        <translation>%1：该备份已加密：请在 MSGDESK_BACKUP_PASSWORD 中给出密码，或在提示时输入</translation>
    </message>
    <message>
        <source>%1: wrong password for this backup</source>
        <translation>%1：此备份的密码错误</translation>
    </message>
    <message>
        <source>%1: the backup cannot be unlocked: %2</source>
        <translation>%1：无法解锁该备份：%2</translation>
    </message>
    <message>
        <source>%1: its message database is of no layout msgdesk knows</source>
        <translation>%1：其短信数据库的结构 msgdesk 无法识别</translation>
    </message>
    <message>
        <source>%1: not a message database (the file is not an SQLite database or is damaged)</source>
        <translation>%1：不是短信数据库（该文件不是 SQLite 数据库或已损坏）</translation>
    </message>
    <message>
        <source>%1: not a message database (it has no message table)</source>
        <translation>%1：不是短信数据库（没有短信表）</translation>
    </message>
    <message>
        <source>%1: the message table is of no layout msgdesk knows</source>
        <translation>%1：短信表的结构 msgdesk 无法识别</translation>
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
        <translation>msgdesk-cli：%1：已存在同名文件</translation>
    </message>
    <message>
        <source>msgdesk-cli: %1: cannot be written: %2</source>
        <translation>msgdesk-cli：%1：无法写入：%2</translation>
    </message>
    <message>
        <source>--json is for list, show, info, search and attachments</source>
        <translation>--json 只能用于 list、show、info、search 和 attachments</translation>
    </message>
    <message>
        <source>--conversation is for export, search and attachments</source>
        <translation>--conversation 只能用于 export、search 和 attachments</translation>
    </message>
    <message>
        <source>--save is for attachments</source>
        <translation>--save 只能用于 attachments</translation>
    </message>
    <message>
        <source>--save and --json cannot be combined</source>
        <translation>--save 和 --json 不能同时使用</translation>
    </message>
    <message>
        <source>--contacts is for list, show, export, search, attachments and backup</source>
        <translation>--contacts 只能用于 list、show、export、search、attachments 和 backup</translation>
    </message>
    <message>
        <source>%1: the file is damaged: %2; what could be read is shown</source>
        <translation>%1：文件已损坏：%2；仅显示能够读取的部分</translation>
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
SOURCE 是 .sms 备份文件、手机的短信数据库或手机备份文件夹；KEY 是
“list”所显示的对话键。加密备份的密码取自 MSGDESK_BACKUP_PASSWORD，
否则会提示输入。源永远不会被修改。
export 默认写入 txt；DATE 为本地时间的 YYYY-MM-DD；OUT 不得已存在
（html：新的或空的文件夹）。
</translation>
    </message>
    <message>
        <source>--format, --attachments, --from and --to are for export</source>
        <translation>--format、--attachments、--from 和 --to 仅用于 export</translation>
    </message>
    <message>
        <source>unknown format %1 (one of %2)</source>
        <translation>未知格式 %1（可用：%2）</translation>
    </message>
    <message>
        <source>--attachments is for the html and pdf formats</source>
        <translation>--attachments 仅用于 html 和 pdf 格式</translation>
    </message>
    <message>
        <source>%1 %2: not a date of the form YYYY-MM-DD</source>
        <translation>%1 %2：不是 YYYY-MM-DD 格式的日期</translation>
    </message>
    <message>
        <source>--from %1 is after --to %2</source>
        <translation>--from %1 晚于 --to %2</translation>
    </message>
    <message>
        <source>%1: cannot be written</source>
        <translation>%1：无法写入</translation>
    </message>
    <message>
        <source>cannot be told while the backup is locked</source>
        <translation>备份锁定期间无法判断</translation>
    </message>
    <message>
        <source>%1: the file is damaged: %2; nothing could be read</source>
        <translation>%1：文件已损坏：%2；无法读取任何内容</translation>
    </message>
</context>
<context>
    <name>MsgdeskStartup</name>
    <message>
        <source>Device library: %1
</source>
        <translation>设备库：%1
</translation>
    </message>
    <message>
        <source>Device library: not found (%1)
</source>
        <translation>设备库：未找到（%1）
</translation>
    </message>
    <message>
        <source>Backup tool: %1
</source>
        <translation>备份工具：%1
</translation>
    </message>
    <message>
        <source>Backup tool: not found (%1)
</source>
        <translation>备份工具：未找到（%1）
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
        <translation>错误</translation>
    </message>
    <message>
        <source>Delete Error</source>
        <translation>删除出错</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>警告</translation>
    </message>
    <message>
        <source>The messages are deleted, but another program is reading the file: their text stays in it until that program closes it. It is wiped as soon as that program lets go.</source>
        <translation>短信已删除，但另一个程序正在读取该文件：在该程序关闭文件之前，这些短信的文字仍留在文件中。该程序一释放文件，这些文字就会被清除。</translation>
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
        <translation>搜索短信</translation>
    </message>
</context>
<context>
    <name>SearchResultsPage</name>
    <message>
        <source>1 message</source>
        <translation>1 条短信</translation>
    </message>
    <message>
        <source>%1 messages</source>
        <translation>%1 条短信</translation>
    </message>
    <message>
        <source>1 conversation</source>
        <translation>1 个对话</translation>
    </message>
    <message>
        <source>%1 conversations</source>
        <translation>%1 个对话</translation>
    </message>
    <message>
        <source>Conversations</source>
        <translation>对话</translation>
    </message>
    <message>
        <source>Messages</source>
        <translation>短信</translation>
    </message>
    <message>
        <source>me</source>
        <translation>我</translation>
    </message>
    <message>
        <source>Searching…</source>
        <translation>正在搜索…</translation>
    </message>
    <message>
        <source>No messages found</source>
        <translation>未找到短信</translation>
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
        <translation>用法：msgdesk [路径]
      msgdesk --version | --help | --check-device-support

显示通过 USB 连接的 iPhone、其备份以及 .sms 备份文件中的短信。
如果给出路径，它是启动时要打开的 .sms 备份文件或手机备份文件夹。

  --version               显示版本并退出
  --help                  显示此说明并退出
  --check-device-support  显示在何处找到了设备支持并退出
                          （未找到时状态为 1）
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
        <translation>编辑(&amp;E)</translation>
    </message>
    <message>
        <source>Edit</source>
        <translation>编辑</translation>
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
        <translation>短信</translation>
    </message>
    <message>
        <source>4444444444444</source>
        <translation>4444444444444</translation>
    </message>
    <message>
        <source>Edit</source>
        <translation>编辑</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>删除</translation>
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
        <translation>明天八点车站见。</translation>
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
        <translation>删除</translation>
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
        <translation>信息</translation>
    </message>
    <message>
        <source>%1 is not in this backup.</source>
        <translation>此备份中没有 %1。</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>警告</translation>
    </message>
    <message>
        <source>The attachment cannot be opened.</source>
        <translation>无法打开附件。</translation>
    </message>
    <message>
        <source>No program to open %1 was found.</source>
        <translation>找不到可以打开 %1 的程序。</translation>
    </message>
    <message>
        <source>Save attachment</source>
        <translation>保存附件</translation>
    </message>
    <message>
        <source>The attachment could not be saved.</source>
        <translation>无法保存附件。</translation>
    </message>
    <message>
        <source>This conversation has no attachments.</source>
        <translation>此对话没有附件。</translation>
    </message>
    <message>
        <source>Save all attachments</source>
        <translation>保存所有附件</translation>
    </message>
    <message numerus="yes">
        <source>%n attachment(s) saved.</source>
        <translation>
            <numerusform>已保存 %n 个附件。</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n not in this backup.</source>
        <translation>
            <numerusform>%n 个不在此备份中。</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n could not be saved.</source>
        <translation>
            <numerusform>%n 个无法保存。</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>views::AttachmentStrip</name>
    <message>
        <source>not in this backup</source>
        <translation>不在此备份中</translation>
    </message>
    <message>
        <source>Voice message</source>
        <translation>语音信息</translation>
    </message>
    <message>
        <source>Save attachment…</source>
        <translation>保存附件…</translation>
    </message>
    <message>
        <source>Save all attachments…</source>
        <translation>保存所有附件…</translation>
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
        <translation>%1 添加了 %2</translation>
    </message>
    <message>
        <source>%1 removed %2</source>
        <translation>%1 移除了 %2</translation>
    </message>
    <message>
        <source>%1 removed the conversation&apos;s name</source>
        <translation>%1 删除了对话名称</translation>
    </message>
    <message>
        <source>%1 named the conversation “%2”</source>
        <translation>%1 将对话命名为“%2”</translation>
    </message>
    <message>
        <source>%1 left the conversation</source>
        <translation>%1 离开了对话</translation>
    </message>
    <message>
        <source>%1 changed the conversation</source>
        <translation>%1 更改了对话</translation>
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
        <translation>关闭</translation>
    </message>
    <message>
        <source>Restore</source>
        <translation>还原</translation>
    </message>
</context>
</TS>
