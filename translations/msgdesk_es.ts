<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="es" sourcelanguage="en_US">
<context>
    <name>AboutBox</name>
    <message>
        <source>Version %1</source>
        <translation>Versión %1</translation>
    </message>
    <message>
        <source>The text messages of an iPhone: read from the phone or its backups, backed up, browsed and exported.</source>
        <translation>Los mensajes de texto de un iPhone: leídos del teléfono o de sus copias de seguridad, copiados, consultados y exportados.</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>A&amp;yuda</translation>
    </message>
    <message>
        <source>&amp;About %1</source>
        <translation>&amp;Acerca de %1</translation>
    </message>
    <message>
        <source>About %1</source>
        <translation>Acerca de %1</translation>
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
        <translation>Cifrada</translation>
    </message>
    <message>
        <source>incomplete</source>
        <translation>incompleta</translation>
    </message>
    <message>
        <source>Damaged backup: %1</source>
        <translation>Copia de seguridad dañada: %1</translation>
    </message>
    <message>
        <source>Choose a phone backup folder</source>
        <translation>Elegir la carpeta de una copia de seguridad del teléfono</translation>
    </message>
    <message>
        <source>Choose the phone backup to open:</source>
        <translation>Elija la copia de seguridad del teléfono que desea abrir:</translation>
    </message>
    <message>
        <source>Phone</source>
        <translation>Teléfono</translation>
    </message>
    <message>
        <source>Version</source>
        <translation>Versión</translation>
    </message>
    <message>
        <source>Backed up</source>
        <translation>Respaldado</translation>
    </message>
    <message>
        <source>State</source>
        <translation>Estado</translation>
    </message>
    <message>
        <source>No phone backup was found in the usual places. Choose a folder that holds one.</source>
        <translation>No se encontró ninguna copia de seguridad del teléfono en los lugares habituales. Elija una carpeta que contenga una.</translation>
    </message>
    <message>
        <source>Choose folder…</source>
        <translation>Elegir carpeta…</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Abrir</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancelar</translation>
    </message>
</context>
<context>
    <name>BackupPassword</name>
    <message>
        <source>The password is wrong. Please try again.</source>
        <translation>La contraseña es incorrecta. Inténtelo de nuevo.</translation>
    </message>
    <message>
        <source>Encrypted backup</source>
        <translation>Copia de seguridad cifrada</translation>
    </message>
    <message>
        <source>This backup is encrypted. Enter the password that was set for the phone&apos;s backups:</source>
        <translation>Esta copia de seguridad está cifrada. Escriba la contraseña que se estableció para las copias de seguridad del teléfono:</translation>
    </message>
    <message>
        <source>%1, backed up %2</source>
        <translation>%1, copia del %2</translation>
    </message>
    <message>
        <source>Checking the password… %p%</source>
        <translation>Comprobando la contraseña… %p%</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>Aceptar</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancelar</translation>
    </message>
</context>
<context>
    <name>BackupProgress</name>
    <message>
        <source>Cancelling the backup...</source>
        <translation>Cancelando la copia de seguridad...</translation>
    </message>
    <message>
        <source>Backing up the iPhone. The first backup of a phone can take a long time.</source>
        <translation>Haciendo la copia de seguridad del iPhone. La primera copia de un teléfono puede tardar mucho.</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancelar</translation>
    </message>
</context>
<context>
    <name>BackupRun</name>
    <message>
        <source>The backup tool %1 could not be started.
Install the Debian packages libimobiledevice-utils and usbmuxd, and keep msgdesk&apos;s device support beside the program.</source>
        <translation>No se pudo iniciar la herramienta de copia %1.
Instale los paquetes de Debian libimobiledevice-utils y usbmuxd, y mantenga el soporte de dispositivos de msgdesk junto al programa.</translation>
    </message>
    <message>
        <source>The backup was cancelled. The phone&apos;s previous backup is kept.</source>
        <translation>La copia de seguridad se canceló. Se conserva la copia anterior del teléfono.</translation>
    </message>
    <message>
        <source>The backup tool stopped unexpectedly. The phone&apos;s previous backup is kept.</source>
        <translation>La herramienta de copia se detuvo de forma inesperada. Se conserva la copia anterior del teléfono.</translation>
    </message>
    <message>
        <source>The backup of the phone failed (status %1).</source>
        <translation>La copia de seguridad del teléfono falló (estado %1).</translation>
    </message>
    <message>
        <source>unknown</source>
        <translation>desconocido</translation>
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
        <translation>El iPhone está bloqueado. Desbloquéelo y manténgalo desbloqueado mientras empieza la copia de seguridad; en iOS 16.1 y posteriores, introduzca el código en el iPhone cuando lo pida. Después vuelva a elegir el teléfono.</translation>
    </message>
    <message>
        <source>an unknown version</source>
        <translation>una versión desconocida</translation>
    </message>
    <message>
        <source>The device library on this computer (%1) is older than the iPhone&apos;s software and cannot back it up. Install a newer device library, or make the backup with another program and open it with &quot;File &gt; Open phone backup…&quot;.</source>
        <translation>La biblioteca del dispositivo de este ordenador (%1) es más antigua que el software del iPhone y no puede hacer su copia de seguridad. Instale una biblioteca del dispositivo más reciente, o haga la copia de seguridad con otro programa y ábrala con «Archivo &gt; Abrir copia de seguridad del teléfono…».</translation>
    </message>
    <message>
        <source>This computer is no longer paired with the iPhone. Unlock the iPhone, run &quot;idevicepair pair&quot;, tap &quot;Trust&quot; on the iPhone and enter its passcode, then attach it again.</source>
        <translation>Este ordenador ya no está enlazado con el iPhone. Desbloquee el iPhone, ejecute «idevicepair pair», toque «Confiar» en el iPhone e introduzca su código; después vuelva a conectarlo.</translation>
    </message>
    <message>
        <source>There is too little free disk space for the backup: %1 free</source>
        <translation>No hay suficiente espacio libre en el disco para la copia de seguridad (libre: %1)</translation>
    </message>
    <message>
        <source>, and the last backup of this iPhone takes %1</source>
        <translation>, y la última copia de seguridad de este iPhone ocupa %1</translation>
    </message>
    <message>
        <source>. Free some space and choose the phone again.</source>
        <translation>. Libere espacio y vuelva a elegir el teléfono.</translation>
    </message>
</context>
<context>
    <name>BubbleFrame</name>
    <message>
        <source>Edited</source>
        <translation>Editado</translation>
    </message>
</context>
<context>
    <name>Export</name>
    <message>
        <source>%1: cannot be written</source>
        <translation>%1: no se puede escribir</translation>
    </message>
    <message>
        <source>Messages</source>
        <translation>Mensajes</translation>
    </message>
    <message>
        <source>%1: a file of that name is already there</source>
        <translation>%1: ya existe un archivo con ese nombre</translation>
    </message>
    <message>
        <source>%1: the folder is not empty</source>
        <translation>%1: la carpeta no está vacía</translation>
    </message>
    <message>
        <source>%1: its folder does not exist</source>
        <translation>%1: su carpeta no existe</translation>
    </message>
    <message>
        <source>%1: cannot be written: %2</source>
        <translation>%1: no se puede escribir: %2</translation>
    </message>
    <message>
        <source>me</source>
        <translation>yo</translation>
    </message>
    <message>
        <source>1 message</source>
        <translation>1 mensaje</translation>
    </message>
    <message>
        <source>%1 messages</source>
        <translation>%1 mensajes</translation>
    </message>
    <message>
        <source>%1: not a folder</source>
        <translation>%1: no es una carpeta</translation>
    </message>
    <message>
        <source>%1: cannot be written (%2)</source>
        <translation>%1: no se puede escribir (%2)</translation>
    </message>
    <message>
        <source>All conversations</source>
        <translation>Todas las conversaciones</translation>
    </message>
    <message>
        <source>Edited</source>
        <translation>Editado</translation>
    </message>
    <message>
        <source>the folder for the attachments cannot be made</source>
        <translation>no se puede crear la carpeta de los adjuntos</translation>
    </message>
    <message>
        <source>the file cannot be written</source>
        <translation>no se puede escribir el archivo</translation>
    </message>
    <message>
        <source>1 conversation</source>
        <translation>1 conversación</translation>
    </message>
    <message>
        <source>%1 conversations</source>
        <translation>%1 conversaciones</translation>
    </message>
    <message>
        <source>PDF files can only be written where the fonts can be loaded</source>
        <translation>los archivos PDF solo se pueden escribir donde se pueden cargar las fuentes</translation>
    </message>
    <message>
        <source>the PDF file cannot be started</source>
        <translation>no se puede empezar el archivo PDF</translation>
    </message>
    <message>
        <source>No messages</source>
        <translation>No hay mensajes</translation>
    </message>
    <message>
        <source>the PDF file cannot be finished</source>
        <translation>no se puede terminar el archivo PDF</translation>
    </message>
    <message>
        <source>Page %1</source>
        <translation>Página %1</translation>
    </message>
</context>
<context>
    <name>ExportDialog</name>
    <message>
        <source>Plain text</source>
        <translation>Texto sin formato</translation>
    </message>
    <message>
        <source>Web page (HTML)</source>
        <translation>Página web (HTML)</translation>
    </message>
    <message>
        <source>PDF document</source>
        <translation>Documento PDF</translation>
    </message>
    <message>
        <source>Spreadsheet (CSV)</source>
        <translation>Hoja de cálculo (CSV)</translation>
    </message>
    <message>
        <source>JSON lines</source>
        <translation>Líneas JSON</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>Advertencia</translation>
    </message>
    <message>
        <source>No program could be started to show
%1</source>
        <translation>No se pudo iniciar ningún programa para mostrar
%1</translation>
    </message>
    <message>
        <source>Export to folder</source>
        <translation>Exportar a la carpeta</translation>
    </message>
    <message>
        <source>Export to</source>
        <translation>Exportar a</translation>
    </message>
    <message>
        <source>Information</source>
        <translation>Información</translation>
    </message>
    <message>
        <source>Please choose where the export goes.</source>
        <translation>Elija adónde va la exportación.</translation>
    </message>
    <message>
        <source>The first day of the range comes after its last day.</source>
        <translation>El primer día del intervalo es posterior al último.</translation>
    </message>
    <message>
        <source>%1 of %2 messages</source>
        <translation>%1 de %2 mensajes</translation>
    </message>
    <message>
        <source>%1 messages of %2 conversations were written to %3.</source>
        <translation>Se escribieron %1 mensajes de %2 conversaciones en %3.</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Cerrar</translation>
    </message>
    <message>
        <source>The export was cancelled; nothing was written.</source>
        <translation>La exportación se canceló; no se escribió nada.</translation>
    </message>
    <message>
        <source>The export could not be written:
%1</source>
        <translation>No se pudo escribir la exportación:
%1</translation>
    </message>
    <message>
        <source>Export messages</source>
        <translation>Exportar mensajes</translation>
    </message>
    <message>
        <source>Format:</source>
        <translation>Formato:</translation>
    </message>
    <message>
        <source>Messages:</source>
        <translation>Mensajes:</translation>
    </message>
    <message>
        <source>All conversations</source>
        <translation>Todas las conversaciones</translation>
    </message>
    <message>
        <source>The open conversation</source>
        <translation>La conversación abierta</translation>
    </message>
    <message>
        <source>The open conversation: %1</source>
        <translation>La conversación abierta: %1</translation>
    </message>
    <message>
        <source>The selected messages</source>
        <translation>Los mensajes seleccionados</translation>
    </message>
    <message>
        <source>The selected messages (%1)</source>
        <translation>Los mensajes seleccionados (%1)</translation>
    </message>
    <message>
        <source>Only messages from</source>
        <translation>Solo los mensajes del</translation>
    </message>
    <message>
        <source>to</source>
        <translation>al</translation>
    </message>
    <message>
        <source>Include attachments</source>
        <translation>Incluir adjuntos</translation>
    </message>
    <message>
        <source>Save to:</source>
        <translation>Guardar en:</translation>
    </message>
    <message>
        <source>Browse…</source>
        <translation>Examinar…</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Abrir</translation>
    </message>
    <message>
        <source>Show in folder</source>
        <translation>Mostrar en la carpeta</translation>
    </message>
    <message>
        <source>Export</source>
        <translation>Exportar</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancelar</translation>
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
        <translation>Copiar</translation>
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
        <translation>Copiar</translation>
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
        <translation>Advertencia: esta acción copiará el mensaje
 a un archivo .txt;</translation>
    </message>
    <message>
        <source>Choose the file path:</source>
        <translation>Elija la ruta del archivo:</translation>
    </message>
    <message>
        <source>Browse</source>
        <translation>Examinar</translation>
    </message>
    <message>
        <source>Open output file</source>
        <translation>Abrir el archivo creado</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>Aceptar</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancelar</translation>
    </message>
    <message>
        <source>Save To txt</source>
        <translation>Guardar como TXT</translation>
    </message>
    <message>
        <source>txt (*.txt)</source>
        <translation>Texto (*.txt)</translation>
    </message>
</context>
<context>
    <name>LoadingLine</name>
    <message>
        <source>Reading messages...</source>
        <translation>Leyendo mensajes...</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancelar</translation>
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
        <translation>iPhone perdido</translation>
    </message>
    <message>
        <source>BACKUP FILES</source>
        <translation>COPIAS DE SEGURIDAD</translation>
    </message>
    <message>
        <source>TextLabel</source>
        <translation>TextLabel</translation>
    </message>
    <message>
        <source>BackUp iPhone SMS to Computer</source>
        <translation>Hacer una copia de los SMS del iPhone en el ordenador</translation>
    </message>
    <message>
        <source>BackUp</source>
        <translation>Respaldar</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>Copiar</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Archivo</translation>
    </message>
    <message>
        <source>Edit</source>
        <translation>Editar</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Abrir</translation>
    </message>
    <message>
        <source>Open phone backup…</source>
        <translation>Abrir copia de seguridad del teléfono…</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Salir</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Eliminar</translation>
    </message>
    <message>
        <source>Downloading...</source>
        <translation>Descargando...</translation>
    </message>
    <message>
        <source>Speed:</source>
        <translation>Velocidad:</translation>
    </message>
    <message>
        <source>0kB/s</source>
        <translation>0kB/s</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Cancelar</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Quitar</translation>
    </message>
    <message>
        <source>SMS:0
Contact:0
iPhone Serial:No device</source>
        <translation>SMS: 0
Contactos: 0
Número de serie del iPhone: ningún dispositivo</translation>
    </message>
    <message>
        <source>Mobile Losted</source>
        <translation>Teléfono perdido</translation>
    </message>
    <message>
        <source>Mobile connected</source>
        <translation>Teléfono conectado</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>Advertencia</translation>
    </message>
    <message>
        <source>SMS:</source>
        <translation>SMS:</translation>
    </message>
    <message>
        <source>
Contact:</source>
        <translation>
Contactos:</translation>
    </message>
    <message>
        <source>iPhone Serial:</source>
        <translation>Número de serie del iPhone:</translation>
    </message>
    <message>
        <source>Information</source>
        <translation>Información</translation>
    </message>
    <message>
        <source>iOS %1</source>
        <translation>iOS %1</translation>
    </message>
    <message>
        <source>This folder is no phone backup that can be read:
%1

%2</source>
        <translation>Esta carpeta no es una copia de seguridad del teléfono que se pueda leer:
%1

%2</translation>
    </message>
    <message>
        <source>There is no .sms backup or phone backup folder at
%1</source>
        <translation>No hay ninguna copia .sms ni carpeta de copia de seguridad del teléfono en
%1</translation>
    </message>
    <message>
        <source>No message in your device!!!</source>
        <translation>¡No hay mensajes en su dispositivo!</translation>
    </message>
    <message>
        <source>Please make sure that iPhone has been connected.</source>
        <translation>Asegúrese de que el iPhone está conectado.</translation>
    </message>
    <message>
        <source>Backup databace failed!!!</source>
        <translation>¡La copia de seguridad de la base de datos falló!</translation>
    </message>
    <message>
        <source>Open a BackUp</source>
        <translation>Abrir una copia de seguridad</translation>
    </message>
    <message>
        <source>sms(*.sms)</source>
        <translation>Copia de SMS (*.sms)</translation>
    </message>
    <message>
        <source>Are you sure to do this?</source>
        <translation>¿Seguro que quiere hacerlo?</translation>
    </message>
    <message>
        <source>The backup file could not be deleted:
%1</source>
        <translation>No se pudo eliminar el archivo de copia de seguridad:
%1</translation>
    </message>
    <message>
        <source>The text file could not be written:
%1</source>
        <translation>No se pudo escribir el archivo de texto:
%1</translation>
    </message>
    <message>
        <source>No data sorce!!!Please check one!!!</source>
        <translation>¡No hay origen de datos! ¡Elija uno!</translation>
    </message>
    <message>
        <source>Update</source>
        <translation>Actualización</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>Download error</source>
        <translation>Error de descarga</translation>
    </message>
    <message>
        <source>Ok</source>
        <translation>Aceptar</translation>
    </message>
    <message>
        <source>Success</source>
        <translation>Éxito</translation>
    </message>
    <message>
        <source>Download Success,do you want to install?</source>
        <translation>Descarga completada. ¿Desea instalar?</translation>
    </message>
    <message>
        <source>&amp;Install</source>
        <translation>&amp;Instalar</translation>
    </message>
    <message>
        <source>The downloaded file could not be started:
%1</source>
        <translation>No se pudo iniciar el archivo descargado:
%1</translation>
    </message>
    <message>
        <source>Backing up the attachments...</source>
        <translation>Haciendo la copia de seguridad de los archivos adjuntos...</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancelar</translation>
    </message>
    <message>
        <source>Export…</source>
        <translation>Exportar…</translation>
    </message>
    <message>
        <source>The iPhone could not be backed up: it did not tell its identifier. Unlock it, attach it again and confirm that this computer is trusted.</source>
        <translation>No se pudo hacer la copia del iPhone: no indicó su identificador. Desbloquéelo, vuelva a conectarlo y confirme que confía en este ordenador.</translation>
    </message>
    <message>
        <source>BackUp iPhone</source>
        <translation>Hacer una copia del iPhone</translation>
    </message>
    <message>
        <source>The message database was not found in the iPhone&apos;s backup:
%1</source>
        <translation>No se encontró la base de datos de mensajes en la copia del iPhone:
%1</translation>
    </message>
    <message>
        <source>The iPhone&apos;s backup holds no address book: names cannot be shown.</source>
        <translation>La copia del iPhone no contiene libreta de direcciones: no se pueden mostrar los nombres.</translation>
    </message>
    <message>
        <source>The backup file does not exist any more:
%1</source>
        <translation>El archivo de copia ya no existe:
%1</translation>
    </message>
    <message>
        <source>The phone backup cannot be read:
%1

%2</source>
        <translation>No se puede leer la copia de seguridad del teléfono:
%1

%2</translation>
    </message>
    <message>
        <source>This file is damaged: %1.</source>
        <translation>Este archivo está dañado: %1.</translation>
    </message>
</context>
<context>
    <name>MsgdeskCli</name>
    <message>
        <source>%1 needs a value</source>
        <translation>%1 necesita un valor</translation>
    </message>
    <message>
        <source>unknown option %1</source>
        <translation>opción desconocida %1</translation>
    </message>
    <message>
        <source>me</source>
        <translation>yo</translation>
    </message>
    <message>
        <source>yes</source>
        <translation>sí</translation>
    </message>
    <message>
        <source>no</source>
        <translation>no</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>Device name: %1</source>
        <translation>Nombre del dispositivo: %1</translation>
    </message>
    <message>
        <source>iOS version: %1</source>
        <translation>Versión de iOS: %1</translation>
    </message>
    <message>
        <source>Backup date: %1</source>
        <translation>Fecha de la copia: %1</translation>
    </message>
    <message>
        <source>Layout: %1</source>
        <translation>Estructura: %1</translation>
    </message>
    <message>
        <source>Encrypted: %1</source>
        <translation>Cifrada: %1</translation>
    </message>
    <message>
        <source>Complete: %1</source>
        <translation>Completa: %1</translation>
    </message>
    <message>
        <source>modern message database (iOS 6 and later)</source>
        <translation>base de datos de mensajes moderna (iOS 6 y posteriores)</translation>
    </message>
    <message>
        <source>legacy message database (iOS 5 and before)</source>
        <translation>base de datos de mensajes antigua (iOS 5 y anteriores)</translation>
    </message>
    <message>
        <source>Messages: %1</source>
        <translation>Mensajes: %1</translation>
    </message>
    <message>
        <source>Conversations: %1</source>
        <translation>Conversaciones: %1</translation>
    </message>
    <message>
        <source>Contacts: %1</source>
        <translation>Contactos: %1</translation>
    </message>
    <message>
        <source>msgdesk-cli: %1: cannot be written</source>
        <translation>msgdesk-cli: %1: no se puede escribir</translation>
    </message>
    <message>
        <source>Password of the backup of %1: </source>
        <translation>Contraseña de la copia de seguridad de %1: </translation>
    </message>
    <message>
        <source>no command given</source>
        <translation>no se indicó ninguna orden</translation>
    </message>
    <message>
        <source>unknown command %1</source>
        <translation>orden desconocida %1</translation>
    </message>
    <message>
        <source>%1 takes %2</source>
        <translation>%1 requiere %2</translation>
    </message>
    <message>
        <source>msgdesk-cli: %1: no conversation %2</source>
        <translation>msgdesk-cli: %1: no hay conversación %2</translation>
    </message>
    <message>
        <source>%1: no such file</source>
        <translation>%1: no existe el archivo</translation>
    </message>
    <message>
        <source>%1: not an address book</source>
        <translation>%1: no es una libreta de direcciones</translation>
    </message>
    <message>
        <source>%1: the backup is encrypted: give its password in MSGDESK_BACKUP_PASSWORD or type it at the prompt</source>
        <translation>%1: la copia de seguridad está cifrada: indique su contraseña en MSGDESK_BACKUP_PASSWORD o escríbala cuando se le pida</translation>
    </message>
    <message>
        <source>%1: wrong password for this backup</source>
        <translation>%1: contraseña incorrecta para esta copia de seguridad</translation>
    </message>
    <message>
        <source>%1: the backup cannot be unlocked: %2</source>
        <translation>%1: no se puede desbloquear la copia de seguridad: %2</translation>
    </message>
    <message>
        <source>%1: its message database is of no layout msgdesk knows</source>
        <translation>%1: su base de datos de mensajes tiene una estructura que msgdesk no conoce</translation>
    </message>
    <message>
        <source>%1: not a message database (the file is not an SQLite database or is damaged)</source>
        <translation>%1: no es una base de datos de mensajes (el archivo no es una base de datos SQLite o está dañado)</translation>
    </message>
    <message>
        <source>%1: not a message database (it has no message table)</source>
        <translation>%1: no es una base de datos de mensajes (no tiene tabla de mensajes)</translation>
    </message>
    <message>
        <source>%1: the message table is of no layout msgdesk knows</source>
        <translation>%1: la tabla de mensajes tiene una estructura que msgdesk no conoce</translation>
    </message>
    <message>
        <source>present</source>
        <translation>presente</translation>
    </message>
    <message>
        <source>msgdesk-cli: %1: %2</source>
        <translation>msgdesk-cli: %1: %2</translation>
    </message>
    <message>
        <source>msgdesk-cli: %1: a file of that name is already there</source>
        <translation>msgdesk-cli: %1: ya existe un archivo con ese nombre</translation>
    </message>
    <message>
        <source>msgdesk-cli: %1: cannot be written: %2</source>
        <translation>msgdesk-cli: %1: no se puede escribir: %2</translation>
    </message>
    <message>
        <source>--json is for list, show, info, search and attachments</source>
        <translation>--json solo sirve para list, show, info, search y attachments</translation>
    </message>
    <message>
        <source>--conversation is for export, search and attachments</source>
        <translation>--conversation solo sirve para export, search y attachments</translation>
    </message>
    <message>
        <source>--save is for attachments</source>
        <translation>--save solo sirve para attachments</translation>
    </message>
    <message>
        <source>--save and --json cannot be combined</source>
        <translation>--save y --json no se pueden combinar</translation>
    </message>
    <message>
        <source>--contacts is for list, show, export, search, attachments and backup</source>
        <translation>--contacts solo sirve para list, show, export, search, attachments y backup</translation>
    </message>
    <message>
        <source>%1: the file is damaged: %2; what could be read is shown</source>
        <translation>%1: el archivo está dañado: %2; se muestra lo que se pudo leer</translation>
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
        <translation>uso: msgdesk-cli list   [--json] [--contacts FILE] SOURCE
     msgdesk-cli show   [--json] [--contacts FILE] SOURCE KEY
     msgdesk-cli export [--format txt|html|pdf|csv|json] [--attachments] [--contacts FILE]
                        [--conversation KEY] [--from DATE] [--to DATE] SOURCE OUT
     msgdesk-cli info   [--json] SOURCE
     msgdesk-cli search [--json] [--contacts FILE] [--conversation KEY] SOURCE QUERY
     msgdesk-cli attachments [--json] [--contacts FILE] [--conversation KEY] [--save DIR] SOURCE
     msgdesk-cli backup [--contacts FILE] SOURCE FILE
     msgdesk-cli --version | --help
SOURCE es un archivo de copia .sms, la base de datos de mensajes de un
teléfono o una carpeta de copia de seguridad del teléfono; KEY es una clave
de conversación tal como la muestra «list». La contraseña de una copia de
seguridad cifrada se toma de MSGDESK_BACKUP_PASSWORD o se pide. El origen
nunca se modifica.
export escribe txt salvo que se indique otra cosa; DATE es AAAA-MM-DD en hora
local; OUT no debe existir (html: una carpeta nueva o vacía).
</translation>
    </message>
    <message>
        <source>--format, --attachments, --from and --to are for export</source>
        <translation>--format, --attachments, --from y --to son para export</translation>
    </message>
    <message>
        <source>unknown format %1 (one of %2)</source>
        <translation>formato desconocido %1 (uno de %2)</translation>
    </message>
    <message>
        <source>--attachments is for the html and pdf formats</source>
        <translation>--attachments es para los formatos html y pdf</translation>
    </message>
    <message>
        <source>%1 %2: not a date of the form YYYY-MM-DD</source>
        <translation>%1 %2: no es una fecha de la forma YYYY-MM-DD</translation>
    </message>
    <message>
        <source>--from %1 is after --to %2</source>
        <translation>--from %1 es posterior a --to %2</translation>
    </message>
    <message>
        <source>%1: cannot be written</source>
        <translation>%1: no se puede escribir</translation>
    </message>
    <message>
        <source>cannot be told while the backup is locked</source>
        <translation>no se puede saber mientras la copia de seguridad esté bloqueada</translation>
    </message>
    <message>
        <source>%1: the file is damaged: %2; nothing could be read</source>
        <translation>%1: el archivo está dañado: %2; no se pudo leer nada</translation>
    </message>
</context>
<context>
    <name>MsgdeskStartup</name>
    <message>
        <source>Device library: %1
</source>
        <translation>Biblioteca del dispositivo: %1
</translation>
    </message>
    <message>
        <source>Device library: not found (%1)
</source>
        <translation>Biblioteca del dispositivo: no encontrada (%1)
</translation>
    </message>
    <message>
        <source>Backup tool: %1
</source>
        <translation>Herramienta de copia: %1
</translation>
    </message>
    <message>
        <source>Backup tool: not found (%1)
</source>
        <translation>Herramienta de copia: no encontrada (%1)
</translation>
    </message>
    <message>
        <source>ignored: %1
</source>
        <translation>ignorado: %1
</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Error</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>Delete Error</source>
        <translation>Error al eliminar</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>Advertencia</translation>
    </message>
    <message>
        <source>The messages are deleted, but another program is reading the file: their text stays in it until that program closes it. It is wiped as soon as that program lets go.</source>
        <translation>Los mensajes se han eliminado, pero otro programa está leyendo el archivo: su texto permanece en él hasta que ese programa lo cierre. Se borrará en cuanto ese programa lo libere.</translation>
    </message>
</context>
<context>
    <name>SearchController</name>
    <message>
        <source>%1 of %2</source>
        <translation>%1 de %2</translation>
    </message>
</context>
<context>
    <name>SearchField</name>
    <message>
        <source>Search messages</source>
        <translation>Buscar mensajes</translation>
    </message>
</context>
<context>
    <name>SearchResultsPage</name>
    <message>
        <source>1 message</source>
        <translation>1 mensaje</translation>
    </message>
    <message>
        <source>%1 messages</source>
        <translation>%1 mensajes</translation>
    </message>
    <message>
        <source>1 conversation</source>
        <translation>1 conversación</translation>
    </message>
    <message>
        <source>%1 conversations</source>
        <translation>%1 conversaciones</translation>
    </message>
    <message>
        <source>Conversations</source>
        <translation>Conversaciones</translation>
    </message>
    <message>
        <source>Messages</source>
        <translation>Mensajes</translation>
    </message>
    <message>
        <source>me</source>
        <translation>yo</translation>
    </message>
    <message>
        <source>Searching…</source>
        <translation>Buscando…</translation>
    </message>
    <message>
        <source>No messages found</source>
        <translation>No se encontraron mensajes</translation>
    </message>
    <message>
        <source>%1 in %2</source>
        <translation>%1 en %2</translation>
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
        <translation>uso: msgdesk [RUTA]
     msgdesk --version | --help | --check-device-support

Muestra los mensajes de texto de un iPhone conectado por USB, de sus copias
de seguridad y de los archivos de copia .sms. RUTA, si se indica, es un
archivo de copia .sms o una carpeta de copia de seguridad del teléfono que
se abre al iniciar.

  --version               muestra la versión y termina
  --help                  muestra este texto y termina
  --check-device-support  indica dónde se encontró el soporte de dispositivos
                          y termina (estado 1 si no se encontró)
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
        <translation>&amp;Editar</translation>
    </message>
    <message>
        <source>Edit</source>
        <translation>Editar</translation>
    </message>
    <message>
        <source>&amp;Done</source>
        <translation>&amp;Hecho</translation>
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
        <translation>Mensaje</translation>
    </message>
    <message>
        <source>4444444444444</source>
        <translation>4444444444444</translation>
    </message>
    <message>
        <source>Edit</source>
        <translation>Editar</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Eliminar</translation>
    </message>
    <message>
        <source>Done</source>
        <translation>Hecho</translation>
    </message>
    <message>
        <source>Clear All</source>
        <translation>Borrar todo</translation>
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
        <translation>Nos vemos en la estación mañana a las ocho.</translation>
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
        <translation>Eliminar</translation>
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
        <translation>Información</translation>
    </message>
    <message>
        <source>%1 is not in this backup.</source>
        <translation>%1 no está en esta copia de seguridad.</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>Advertencia</translation>
    </message>
    <message>
        <source>The attachment cannot be opened.</source>
        <translation>No se puede abrir el archivo adjunto.</translation>
    </message>
    <message>
        <source>No program to open %1 was found.</source>
        <translation>No se encontró ningún programa para abrir %1.</translation>
    </message>
    <message>
        <source>Save attachment</source>
        <translation>Guardar archivo adjunto</translation>
    </message>
    <message>
        <source>The attachment could not be saved.</source>
        <translation>No se pudo guardar el archivo adjunto.</translation>
    </message>
    <message>
        <source>This conversation has no attachments.</source>
        <translation>Esta conversación no tiene archivos adjuntos.</translation>
    </message>
    <message>
        <source>Save all attachments</source>
        <translation>Guardar todos los archivos adjuntos</translation>
    </message>
    <message numerus="yes">
        <source>%n attachment(s) saved.</source>
        <translation>
            <numerusform>%n archivo adjunto guardado.</numerusform>
            <numerusform>%n archivos adjuntos guardados.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n not in this backup.</source>
        <translation>
            <numerusform>%n no está en esta copia de seguridad.</numerusform>
            <numerusform>%n no están en esta copia de seguridad.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n could not be saved.</source>
        <translation>
            <numerusform>%n no se pudo guardar.</numerusform>
            <numerusform>%n no se pudieron guardar.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>views::AttachmentStrip</name>
    <message>
        <source>not in this backup</source>
        <translation>no está en esta copia de seguridad</translation>
    </message>
    <message>
        <source>Voice message</source>
        <translation>Mensaje de voz</translation>
    </message>
    <message>
        <source>Save attachment…</source>
        <translation>Guardar archivo adjunto…</translation>
    </message>
    <message>
        <source>Save all attachments…</source>
        <translation>Guardar todos los archivos adjuntos…</translation>
    </message>
</context>
<context>
    <name>views::EventText</name>
    <message>
        <source>You</source>
        <translation>Usted</translation>
    </message>
    <message>
        <source>you</source>
        <translation>usted</translation>
    </message>
    <message>
        <source>%1 added %2</source>
        <translation>%1 añadió a %2</translation>
    </message>
    <message>
        <source>%1 removed %2</source>
        <translation>%1 quitó a %2</translation>
    </message>
    <message>
        <source>%1 removed the conversation&apos;s name</source>
        <translation>%1 quitó el nombre de la conversación</translation>
    </message>
    <message>
        <source>%1 named the conversation “%2”</source>
        <translation>%1 llamó a la conversación «%2»</translation>
    </message>
    <message>
        <source>%1 left the conversation</source>
        <translation>%1 salió de la conversación</translation>
    </message>
    <message>
        <source>%1 changed the conversation</source>
        <translation>%1 cambió la conversación</translation>
    </message>
</context>
<context>
    <name>xframeskin</name>
    <message>
        <source>Minimize</source>
        <translation>Minimizar</translation>
    </message>
    <message>
        <source>Maximize</source>
        <translation>Maximizar</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Cerrar</translation>
    </message>
    <message>
        <source>Restore</source>
        <translation>Restaurar</translation>
    </message>
</context>
</TS>
