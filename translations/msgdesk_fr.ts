<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr" sourcelanguage="en_US">
<context>
    <name>AboutBox</name>
    <message>
        <source>Version %1</source>
        <translation>Version %1</translation>
    </message>
    <message>
        <source>The text messages of an iPhone: read from the phone or its backups, backed up, browsed and exported.</source>
        <translation>Les SMS d’un iPhone : lus depuis le téléphone ou ses sauvegardes, sauvegardés, parcourus et exportés.</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Aide</translation>
    </message>
    <message>
        <source>&amp;About %1</source>
        <translation>À &amp;propos de %1</translation>
    </message>
    <message>
        <source>About %1</source>
        <translation>À propos de %1</translation>
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
        <translation>Chiffrée</translation>
    </message>
    <message>
        <source>incomplete</source>
        <translation>incomplète</translation>
    </message>
    <message>
        <source>Damaged backup: %1</source>
        <translation>Sauvegarde endommagée : %1</translation>
    </message>
    <message>
        <source>Choose a phone backup folder</source>
        <translation>Choisir le dossier d’une sauvegarde de téléphone</translation>
    </message>
    <message>
        <source>Choose the phone backup to open:</source>
        <translation>Choisissez la sauvegarde de téléphone à ouvrir :</translation>
    </message>
    <message>
        <source>Phone</source>
        <translation>Téléphone</translation>
    </message>
    <message>
        <source>Version</source>
        <translation>Version</translation>
    </message>
    <message>
        <source>Backed up</source>
        <translation>Sauvegardé</translation>
    </message>
    <message>
        <source>State</source>
        <translation>État</translation>
    </message>
    <message>
        <source>No phone backup was found in the usual places. Choose a folder that holds one.</source>
        <translation>Aucune sauvegarde de téléphone n’a été trouvée aux emplacements habituels. Choisissez un dossier qui en contient une.</translation>
    </message>
    <message>
        <source>Choose folder…</source>
        <translation>Choisir un dossier…</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Ouvrir</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annuler</translation>
    </message>
</context>
<context>
    <name>BackupPassword</name>
    <message>
        <source>The password is wrong. Please try again.</source>
        <translation>Le mot de passe est incorrect. Veuillez réessayer.</translation>
    </message>
    <message>
        <source>Encrypted backup</source>
        <translation>Sauvegarde chiffrée</translation>
    </message>
    <message>
        <source>This backup is encrypted. Enter the password that was set for the phone&apos;s backups:</source>
        <translation>Cette sauvegarde est chiffrée. Saisissez le mot de passe défini pour les sauvegardes du téléphone :</translation>
    </message>
    <message>
        <source>%1, backed up %2</source>
        <translation>%1, sauvegardé le %2</translation>
    </message>
    <message>
        <source>Checking the password… %p%</source>
        <translation>Vérification du mot de passe… %p%</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annuler</translation>
    </message>
</context>
<context>
    <name>BackupProgress</name>
    <message>
        <source>Cancelling the backup...</source>
        <translation>Annulation de la sauvegarde…</translation>
    </message>
    <message>
        <source>Backing up the iPhone. The first backup of a phone can take a long time.</source>
        <translation>Sauvegarde de l’iPhone en cours. La première sauvegarde d’un téléphone peut être longue.</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annuler</translation>
    </message>
</context>
<context>
    <name>BackupRun</name>
    <message>
        <source>The backup tool %1 could not be started.
Install the Debian packages libimobiledevice-utils and usbmuxd, and keep msgdesk&apos;s device support beside the program.</source>
        <translation>L’outil de sauvegarde %1 n’a pas pu être lancé.
Installez les paquets Debian libimobiledevice-utils et usbmuxd, et gardez la prise en charge des appareils de msgdesk à côté du programme.</translation>
    </message>
    <message>
        <source>The backup was cancelled. The phone&apos;s previous backup is kept.</source>
        <translation>La sauvegarde a été annulée. La sauvegarde précédente du téléphone est conservée.</translation>
    </message>
    <message>
        <source>The backup tool stopped unexpectedly. The phone&apos;s previous backup is kept.</source>
        <translation>L’outil de sauvegarde s’est arrêté de façon inattendue. La sauvegarde précédente du téléphone est conservée.</translation>
    </message>
    <message>
        <source>The backup of the phone failed (status %1).</source>
        <translation>La sauvegarde du téléphone a échoué (état %1).</translation>
    </message>
    <message>
        <source>unknown</source>
        <translation>inconnu</translation>
    </message>
    <message>
        <source>%1 GB</source>
        <translation>%1 Go</translation>
    </message>
    <message>
        <source>%1 MB</source>
        <translation>%1 Mo</translation>
    </message>
    <message>
        <source>%1 kB</source>
        <translation>%1 ko</translation>
    </message>
    <message>
        <source>The iPhone is locked. Unlock it and keep it unlocked while the backup starts; on iOS 16.1 and later, enter the passcode on the iPhone when it asks for it. Then choose the phone again.</source>
        <translation>L’iPhone est verrouillé. Déverrouillez-le et laissez-le déverrouillé pendant le démarrage de la sauvegarde ; sous iOS 16.1 et ultérieur, saisissez le code sur l’iPhone lorsqu’il le demande. Choisissez ensuite à nouveau le téléphone.</translation>
    </message>
    <message>
        <source>an unknown version</source>
        <translation>une version inconnue</translation>
    </message>
    <message>
        <source>The device library on this computer (%1) is older than the iPhone&apos;s software and cannot back it up. Install a newer device library, or make the backup with another program and open it with &quot;File &gt; Open phone backup…&quot;.</source>
        <translation>La bibliothèque de l’appareil sur cet ordinateur (%1) est plus ancienne que le logiciel de l’iPhone et ne peut pas le sauvegarder. Installez une bibliothèque plus récente, ou faites la sauvegarde avec un autre programme et ouvrez-la avec « Fichier &gt; Ouvrir une sauvegarde de téléphone… ».</translation>
    </message>
    <message>
        <source>This computer is no longer paired with the iPhone. Unlock the iPhone, run &quot;idevicepair pair&quot;, tap &quot;Trust&quot; on the iPhone and enter its passcode, then attach it again.</source>
        <translation>Cet ordinateur n’est plus jumelé avec l’iPhone. Déverrouillez l’iPhone, exécutez « idevicepair pair », touchez « Se fier » sur l’iPhone et saisissez son code, puis rebranchez-le.</translation>
    </message>
    <message>
        <source>There is too little free disk space for the backup: %1 free</source>
        <translation>Il y a trop peu d’espace disque libre pour la sauvegarde (espace libre : %1)</translation>
    </message>
    <message>
        <source>, and the last backup of this iPhone takes %1</source>
        <translation>, et la dernière sauvegarde de cet iPhone occupe %1</translation>
    </message>
    <message>
        <source>. Free some space and choose the phone again.</source>
        <translation>. Libérez de l’espace et choisissez à nouveau le téléphone.</translation>
    </message>
</context>
<context>
    <name>BubbleFrame</name>
    <message>
        <source>Edited</source>
        <translation>Modifié</translation>
    </message>
</context>
<context>
    <name>Export</name>
    <message>
        <source>%1: cannot be written</source>
        <translation>%1 : écriture impossible</translation>
    </message>
    <message>
        <source>Messages</source>
        <translation>Messages</translation>
    </message>
    <message>
        <source>%1: a file of that name is already there</source>
        <translation>%1 : un fichier de ce nom existe déjà</translation>
    </message>
    <message>
        <source>%1: the folder is not empty</source>
        <translation>%1 : le dossier n’est pas vide</translation>
    </message>
    <message>
        <source>%1: its folder does not exist</source>
        <translation>%1 : son dossier n’existe pas</translation>
    </message>
    <message>
        <source>%1: cannot be written: %2</source>
        <translation>%1 : écriture impossible : %2</translation>
    </message>
    <message>
        <source>me</source>
        <translation>moi</translation>
    </message>
    <message>
        <source>1 message</source>
        <translation>1 message</translation>
    </message>
    <message>
        <source>%1 messages</source>
        <translation>%1 messages</translation>
    </message>
    <message>
        <source>%1: not a folder</source>
        <translation>%1 : ce n’est pas un dossier</translation>
    </message>
    <message>
        <source>%1: cannot be written (%2)</source>
        <translation>%1 : écriture impossible (%2)</translation>
    </message>
    <message>
        <source>All conversations</source>
        <translation>Toutes les conversations</translation>
    </message>
    <message>
        <source>Edited</source>
        <translation>Modifié</translation>
    </message>
    <message>
        <source>the folder for the attachments cannot be made</source>
        <translation>le dossier des pièces jointes ne peut pas être créé</translation>
    </message>
    <message>
        <source>the file cannot be written</source>
        <translation>le fichier ne peut pas être écrit</translation>
    </message>
    <message>
        <source>1 conversation</source>
        <translation>1 conversation</translation>
    </message>
    <message>
        <source>%1 conversations</source>
        <translation>%1 conversations</translation>
    </message>
    <message>
        <source>PDF files can only be written where the fonts can be loaded</source>
        <translation>les fichiers PDF ne peuvent être écrits que là où les polices peuvent être chargées</translation>
    </message>
    <message>
        <source>the PDF file cannot be started</source>
        <translation>le fichier PDF ne peut pas être commencé</translation>
    </message>
    <message>
        <source>No messages</source>
        <translation>Aucun message</translation>
    </message>
    <message>
        <source>the PDF file cannot be finished</source>
        <translation>le fichier PDF ne peut pas être terminé</translation>
    </message>
    <message>
        <source>Page %1</source>
        <translation>Page %1</translation>
    </message>
</context>
<context>
    <name>ExportDialog</name>
    <message>
        <source>Plain text</source>
        <translation>Texte brut</translation>
    </message>
    <message>
        <source>Web page (HTML)</source>
        <translation>Page web (HTML)</translation>
    </message>
    <message>
        <source>PDF document</source>
        <translation>Document PDF</translation>
    </message>
    <message>
        <source>Spreadsheet (CSV)</source>
        <translation>Tableur (CSV)</translation>
    </message>
    <message>
        <source>JSON lines</source>
        <translation>Lignes JSON</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>Avertissement</translation>
    </message>
    <message>
        <source>No program could be started to show
%1</source>
        <translation>Aucun programme n’a pu être lancé pour afficher
%1</translation>
    </message>
    <message>
        <source>Export to folder</source>
        <translation>Exporter dans le dossier</translation>
    </message>
    <message>
        <source>Export to</source>
        <translation>Exporter vers</translation>
    </message>
    <message>
        <source>Information</source>
        <translation>Information</translation>
    </message>
    <message>
        <source>Please choose where the export goes.</source>
        <translation>Veuillez choisir où va l’exportation.</translation>
    </message>
    <message>
        <source>The first day of the range comes after its last day.</source>
        <translation>Le premier jour de la période est après son dernier jour.</translation>
    </message>
    <message>
        <source>%1 of %2 messages</source>
        <translation>%1 sur %2 messages</translation>
    </message>
    <message>
        <source>%1 messages of %2 conversations were written to %3.</source>
        <translation>%1 messages de %2 conversations ont été écrits dans %3.</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Fermer</translation>
    </message>
    <message>
        <source>The export was cancelled; nothing was written.</source>
        <translation>L’exportation a été annulée ; rien n’a été écrit.</translation>
    </message>
    <message>
        <source>The export could not be written:
%1</source>
        <translation>L’exportation n’a pas pu être écrite :
%1</translation>
    </message>
    <message>
        <source>Export messages</source>
        <translation>Exporter les messages</translation>
    </message>
    <message>
        <source>Format:</source>
        <translation>Format :</translation>
    </message>
    <message>
        <source>Messages:</source>
        <translation>Messages :</translation>
    </message>
    <message>
        <source>All conversations</source>
        <translation>Toutes les conversations</translation>
    </message>
    <message>
        <source>The open conversation</source>
        <translation>La conversation ouverte</translation>
    </message>
    <message>
        <source>The open conversation: %1</source>
        <translation>La conversation ouverte : %1</translation>
    </message>
    <message>
        <source>The selected messages</source>
        <translation>Les messages sélectionnés</translation>
    </message>
    <message>
        <source>The selected messages (%1)</source>
        <translation>Les messages sélectionnés (%1)</translation>
    </message>
    <message>
        <source>Only messages from</source>
        <translation>Seulement les messages du</translation>
    </message>
    <message>
        <source>to</source>
        <translation>au</translation>
    </message>
    <message>
        <source>Include attachments</source>
        <translation>Inclure les pièces jointes</translation>
    </message>
    <message>
        <source>Save to:</source>
        <translation>Enregistrer dans :</translation>
    </message>
    <message>
        <source>Browse…</source>
        <translation>Parcourir…</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Ouvrir</translation>
    </message>
    <message>
        <source>Show in folder</source>
        <translation>Afficher dans le dossier</translation>
    </message>
    <message>
        <source>Export</source>
        <translation>Exporter</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annuler</translation>
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
        <translation>Copier</translation>
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
        <translation>Copier</translation>
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
        <translation>Attention : cette action copie le message
 dans un fichier .txt ;</translation>
    </message>
    <message>
        <source>Choose the file path:</source>
        <translation>Choisissez le chemin du fichier :</translation>
    </message>
    <message>
        <source>Browse</source>
        <translation>Parcourir</translation>
    </message>
    <message>
        <source>Open output file</source>
        <translation>Ouvrir le fichier créé</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annuler</translation>
    </message>
    <message>
        <source>Save To txt</source>
        <translation>Enregistrer en TXT</translation>
    </message>
    <message>
        <source>txt (*.txt)</source>
        <translation>Texte (*.txt)</translation>
    </message>
</context>
<context>
    <name>LoadingLine</name>
    <message>
        <source>Reading messages...</source>
        <translation>Lecture des messages…</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annuler</translation>
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
        <translation>iPhone perdu</translation>
    </message>
    <message>
        <source>BACKUP FILES</source>
        <translation>SAUVEGARDES</translation>
    </message>
    <message>
        <source>TextLabel</source>
        <translation>TextLabel</translation>
    </message>
    <message>
        <source>BackUp iPhone SMS to Computer</source>
        <translation>Sauvegarder les SMS de l’iPhone sur l’ordinateur</translation>
    </message>
    <message>
        <source>BackUp</source>
        <translation>Sauvegarder</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>Copier</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Fichier</translation>
    </message>
    <message>
        <source>Edit</source>
        <translation>Édition</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Ouvrir</translation>
    </message>
    <message>
        <source>Open phone backup…</source>
        <translation>Ouvrir une sauvegarde de téléphone…</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Quitter</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Supprimer</translation>
    </message>
    <message>
        <source>Downloading...</source>
        <translation>Téléchargement…</translation>
    </message>
    <message>
        <source>Speed:</source>
        <translation>Vitesse :</translation>
    </message>
    <message>
        <source>0kB/s</source>
        <translation>0kB/s</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Annuler</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Retirer</translation>
    </message>
    <message>
        <source>SMS:0
Contact:0
iPhone Serial:No device</source>
        <translation>SMS : 0
Contacts : 0
Numéro de série de l’iPhone : aucun appareil</translation>
    </message>
    <message>
        <source>Mobile Losted</source>
        <translation>Téléphone perdu</translation>
    </message>
    <message>
        <source>Mobile connected</source>
        <translation>Téléphone connecté</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>Avertissement</translation>
    </message>
    <message>
        <source>SMS:</source>
        <translation>SMS :</translation>
    </message>
    <message>
        <source>
Contact:</source>
        <translation>
Contacts :</translation>
    </message>
    <message>
        <source>iPhone Serial:</source>
        <translation>Numéro de série de l’iPhone :</translation>
    </message>
    <message>
        <source>Information</source>
        <translation>Information</translation>
    </message>
    <message>
        <source>iOS %1</source>
        <translation>iOS %1</translation>
    </message>
    <message>
        <source>This folder is no phone backup that can be read:
%1

%2</source>
        <translation>Ce dossier n’est pas une sauvegarde de téléphone lisible :
%1

%2</translation>
    </message>
    <message>
        <source>There is no .sms backup or phone backup folder at
%1</source>
        <translation>Il n’y a ni sauvegarde .sms ni dossier de sauvegarde de téléphone à l’emplacement
%1</translation>
    </message>
    <message>
        <source>No message in your device!!!</source>
        <translation>Aucun message sur votre appareil !</translation>
    </message>
    <message>
        <source>Please make sure that iPhone has been connected.</source>
        <translation>Veuillez vérifier que l’iPhone est connecté.</translation>
    </message>
    <message>
        <source>Backup databace failed!!!</source>
        <translation>La sauvegarde de la base de données a échoué !</translation>
    </message>
    <message>
        <source>Open a BackUp</source>
        <translation>Ouvrir une sauvegarde</translation>
    </message>
    <message>
        <source>sms(*.sms)</source>
        <translation>Sauvegarde SMS (*.sms)</translation>
    </message>
    <message>
        <source>Are you sure to do this?</source>
        <translation>Voulez-vous vraiment faire cela ?</translation>
    </message>
    <message>
        <source>The backup file could not be deleted:
%1</source>
        <translation>Le fichier de sauvegarde n’a pas pu être supprimé :
%1</translation>
    </message>
    <message>
        <source>The text file could not be written:
%1</source>
        <translation>Le fichier texte n’a pas pu être écrit :
%1</translation>
    </message>
    <message>
        <source>No data sorce!!!Please check one!!!</source>
        <translation>Aucune source de données ! Veuillez en choisir une !</translation>
    </message>
    <message>
        <source>Update</source>
        <translation>Mise à jour</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Erreur</translation>
    </message>
    <message>
        <source>Download error</source>
        <translation>Erreur de téléchargement</translation>
    </message>
    <message>
        <source>Ok</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Success</source>
        <translation>Réussite</translation>
    </message>
    <message>
        <source>Download Success,do you want to install?</source>
        <translation>Téléchargement réussi. Voulez-vous l’installer ?</translation>
    </message>
    <message>
        <source>&amp;Install</source>
        <translation>&amp;Installer</translation>
    </message>
    <message>
        <source>The downloaded file could not be started:
%1</source>
        <translation>Le fichier téléchargé n’a pas pu être lancé :
%1</translation>
    </message>
    <message>
        <source>Backing up the attachments...</source>
        <translation>Sauvegarde des pièces jointes…</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annuler</translation>
    </message>
    <message>
        <source>Export…</source>
        <translation>Exporter…</translation>
    </message>
    <message>
        <source>The iPhone could not be backed up: it did not tell its identifier. Unlock it, attach it again and confirm that this computer is trusted.</source>
        <translation>L’iPhone n’a pas pu être sauvegardé : il n’a pas indiqué son identifiant. Déverrouillez-le, rebranchez-le et confirmez que vous faites confiance à cet ordinateur.</translation>
    </message>
    <message>
        <source>BackUp iPhone</source>
        <translation>Sauvegarder l’iPhone</translation>
    </message>
    <message>
        <source>The message database was not found in the iPhone&apos;s backup:
%1</source>
        <translation>La base de messages est introuvable dans la sauvegarde de l’iPhone :
%1</translation>
    </message>
    <message>
        <source>The iPhone&apos;s backup holds no address book: names cannot be shown.</source>
        <translation>La sauvegarde de l’iPhone ne contient pas de carnet d’adresses : les noms ne peuvent pas être affichés.</translation>
    </message>
    <message>
        <source>The backup file does not exist any more:
%1</source>
        <translation>Le fichier de sauvegarde n’existe plus :
%1</translation>
    </message>
    <message>
        <source>The phone backup cannot be read:
%1

%2</source>
        <translation>La sauvegarde du téléphone ne peut pas être lue :
%1

%2</translation>
    </message>
    <message>
        <source>This file is damaged: %1.</source>
        <translation>Ce fichier est endommagé : %1.</translation>
    </message>
</context>
<context>
    <name>MsgdeskCli</name>
    <message>
        <source>%1 needs a value</source>
        <translation>%1 attend une valeur</translation>
    </message>
    <message>
        <source>unknown option %1</source>
        <translation>option inconnue %1</translation>
    </message>
    <message>
        <source>me</source>
        <translation>moi</translation>
    </message>
    <message>
        <source>yes</source>
        <translation>oui</translation>
    </message>
    <message>
        <source>no</source>
        <translation>non</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1 : %2</translation>
    </message>
    <message>
        <source>Device name: %1</source>
        <translation>Nom de l’appareil : %1</translation>
    </message>
    <message>
        <source>iOS version: %1</source>
        <translation>Version d’iOS : %1</translation>
    </message>
    <message>
        <source>Backup date: %1</source>
        <translation>Date de sauvegarde : %1</translation>
    </message>
    <message>
        <source>Layout: %1</source>
        <translation>Structure : %1</translation>
    </message>
    <message>
        <source>Encrypted: %1</source>
        <translation>Chiffrée : %1</translation>
    </message>
    <message>
        <source>Complete: %1</source>
        <translation>Complète : %1</translation>
    </message>
    <message>
        <source>modern message database (iOS 6 and later)</source>
        <translation>base de messages récente (iOS 6 et ultérieur)</translation>
    </message>
    <message>
        <source>legacy message database (iOS 5 and before)</source>
        <translation>ancienne base de messages (iOS 5 et antérieur)</translation>
    </message>
    <message>
        <source>Messages: %1</source>
        <translation>Messages : %1</translation>
    </message>
    <message>
        <source>Conversations: %1</source>
        <translation>Conversations : %1</translation>
    </message>
    <message>
        <source>Contacts: %1</source>
        <translation>Contacts : %1</translation>
    </message>
    <message>
        <source>msgdesk-cli: %1: cannot be written</source>
        <translation>msgdesk-cli : %1 : écriture impossible</translation>
    </message>
    <message>
        <source>Password of the backup of %1: </source>
        <translation>Mot de passe de la sauvegarde de %1 : </translation>
    </message>
    <message>
        <source>no command given</source>
        <translation>aucune commande donnée</translation>
    </message>
    <message>
        <source>unknown command %1</source>
        <translation>commande inconnue %1</translation>
    </message>
    <message>
        <source>%1 takes %2</source>
        <translation>%1 prend %2</translation>
    </message>
    <message>
        <source>msgdesk-cli: %1: no conversation %2</source>
        <translation>msgdesk-cli : %1 : pas de conversation %2</translation>
    </message>
    <message>
        <source>%1: no such file</source>
        <translation>%1 : fichier introuvable</translation>
    </message>
    <message>
        <source>%1: not an address book</source>
        <translation>%1 : pas un carnet d’adresses</translation>
    </message>
    <message>
        <source>%1: the backup is encrypted: give its password in MSGDESK_BACKUP_PASSWORD or type it at the prompt</source>
        <translation>%1 : la sauvegarde est chiffrée : indiquez son mot de passe dans MSGDESK_BACKUP_PASSWORD ou saisissez-le à l’invite</translation>
    </message>
    <message>
        <source>%1: wrong password for this backup</source>
        <translation>%1 : mot de passe incorrect pour cette sauvegarde</translation>
    </message>
    <message>
        <source>%1: the backup cannot be unlocked: %2</source>
        <translation>%1 : impossible de déverrouiller la sauvegarde : %2</translation>
    </message>
    <message>
        <source>%1: its message database is of no layout msgdesk knows</source>
        <translation>%1 : sa base de messages a une structure que msgdesk ne connaît pas</translation>
    </message>
    <message>
        <source>%1: not a message database (the file is not an SQLite database or is damaged)</source>
        <translation>%1 : pas une base de messages (le fichier n’est pas une base SQLite ou il est endommagé)</translation>
    </message>
    <message>
        <source>%1: not a message database (it has no message table)</source>
        <translation>%1 : pas une base de messages (elle n’a pas de table de messages)</translation>
    </message>
    <message>
        <source>%1: the message table is of no layout msgdesk knows</source>
        <translation>%1 : la table des messages a une structure que msgdesk ne connaît pas</translation>
    </message>
    <message>
        <source>present</source>
        <translation>présente</translation>
    </message>
    <message>
        <source>msgdesk-cli: %1: %2</source>
        <translation>msgdesk-cli : %1 : %2</translation>
    </message>
    <message>
        <source>msgdesk-cli: %1: a file of that name is already there</source>
        <translation>msgdesk-cli : %1 : un fichier de ce nom existe déjà</translation>
    </message>
    <message>
        <source>msgdesk-cli: %1: cannot be written: %2</source>
        <translation>msgdesk-cli : %1 : écriture impossible : %2</translation>
    </message>
    <message>
        <source>--json is for list, show, info, search and attachments</source>
        <translation>--json ne s’applique qu’à list, show, info, search et attachments</translation>
    </message>
    <message>
        <source>--conversation is for export, search and attachments</source>
        <translation>--conversation ne s’applique qu’à export, search et attachments</translation>
    </message>
    <message>
        <source>--save is for attachments</source>
        <translation>--save ne s’applique qu’à attachments</translation>
    </message>
    <message>
        <source>--save and --json cannot be combined</source>
        <translation>--save et --json ne peuvent pas être combinés</translation>
    </message>
    <message>
        <source>--contacts is for list, show, export, search, attachments and backup</source>
        <translation>--contacts ne s’applique qu’à list, show, export, search, attachments et backup</translation>
    </message>
    <message>
        <source>%1: the file is damaged: %2; what could be read is shown</source>
        <translation>%1 : le fichier est endommagé : %2 ; ce qui a pu être lu est affiché</translation>
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
        <translation>usage : msgdesk-cli list   [--json] [--contacts FILE] SOURCE
        msgdesk-cli show   [--json] [--contacts FILE] SOURCE KEY
        msgdesk-cli export [--format txt|html|pdf|csv|json] [--attachments] [--contacts FILE]
                           [--conversation KEY] [--from DATE] [--to DATE] SOURCE OUT
        msgdesk-cli info   [--json] SOURCE
        msgdesk-cli search [--json] [--contacts FILE] [--conversation KEY] SOURCE QUERY
        msgdesk-cli attachments [--json] [--contacts FILE] [--conversation KEY] [--save DIR] SOURCE
        msgdesk-cli backup [--contacts FILE] SOURCE FILE
        msgdesk-cli --version | --help
SOURCE est un fichier de sauvegarde .sms, la base de messages d’un téléphone
ou un dossier de sauvegarde de téléphone ; KEY est une clé de conversation
telle que « list » l’affiche. Le mot de passe d’une sauvegarde chiffrée vient
de MSGDESK_BACKUP_PASSWORD ou est demandé. La source n’est jamais modifiée.
export écrit du txt sauf indication contraire ; DATE est AAAA-MM-JJ en heure
locale ; OUT ne doit pas exister (html : un dossier nouveau ou vide).
</translation>
    </message>
    <message>
        <source>--format, --attachments, --from and --to are for export</source>
        <translation>--format, --attachments, --from et --to sont pour export</translation>
    </message>
    <message>
        <source>unknown format %1 (one of %2)</source>
        <translation>format inconnu %1 (l’un de %2)</translation>
    </message>
    <message>
        <source>--attachments is for the html and pdf formats</source>
        <translation>--attachments est pour les formats html et pdf</translation>
    </message>
    <message>
        <source>%1 %2: not a date of the form YYYY-MM-DD</source>
        <translation>%1 %2 : pas une date de la forme YYYY-MM-DD</translation>
    </message>
    <message>
        <source>--from %1 is after --to %2</source>
        <translation>--from %1 est après --to %2</translation>
    </message>
    <message>
        <source>%1: cannot be written</source>
        <translation>%1 : écriture impossible</translation>
    </message>
    <message>
        <source>cannot be told while the backup is locked</source>
        <translation>impossible à dire tant que la sauvegarde est verrouillée</translation>
    </message>
    <message>
        <source>%1: the file is damaged: %2; nothing could be read</source>
        <translation>%1 : le fichier est endommagé : %2 ; rien n’a pu être lu</translation>
    </message>
</context>
<context>
    <name>MsgdeskStartup</name>
    <message>
        <source>Device library: %1
</source>
        <translation>Bibliothèque de l’appareil : %1
</translation>
    </message>
    <message>
        <source>Device library: not found (%1)
</source>
        <translation>Bibliothèque de l’appareil : introuvable (%1)
</translation>
    </message>
    <message>
        <source>Backup tool: %1
</source>
        <translation>Outil de sauvegarde : %1
</translation>
    </message>
    <message>
        <source>Backup tool: not found (%1)
</source>
        <translation>Outil de sauvegarde : introuvable (%1)
</translation>
    </message>
    <message>
        <source>ignored: %1
</source>
        <translation>ignoré : %1
</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Error</source>
        <translation>Erreur</translation>
    </message>
    <message>
        <source>Delete Error</source>
        <translation>Erreur de suppression</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>Avertissement</translation>
    </message>
    <message>
        <source>The messages are deleted, but another program is reading the file: their text stays in it until that program closes it. It is wiped as soon as that program lets go.</source>
        <translation>Les messages sont supprimés, mais un autre programme lit le fichier : leur texte y reste jusqu’à ce que ce programme le ferme. Il est effacé dès que ce programme le libère.</translation>
    </message>
</context>
<context>
    <name>SearchController</name>
    <message>
        <source>%1 of %2</source>
        <translation>%1 sur %2</translation>
    </message>
</context>
<context>
    <name>SearchField</name>
    <message>
        <source>Search messages</source>
        <translation>Rechercher dans les messages</translation>
    </message>
</context>
<context>
    <name>SearchResultsPage</name>
    <message>
        <source>1 message</source>
        <translation>1 message</translation>
    </message>
    <message>
        <source>%1 messages</source>
        <translation>%1 messages</translation>
    </message>
    <message>
        <source>1 conversation</source>
        <translation>1 conversation</translation>
    </message>
    <message>
        <source>%1 conversations</source>
        <translation>%1 conversations</translation>
    </message>
    <message>
        <source>Conversations</source>
        <translation>Conversations</translation>
    </message>
    <message>
        <source>Messages</source>
        <translation>Messages</translation>
    </message>
    <message>
        <source>me</source>
        <translation>moi</translation>
    </message>
    <message>
        <source>Searching…</source>
        <translation>Recherche…</translation>
    </message>
    <message>
        <source>No messages found</source>
        <translation>Aucun message trouvé</translation>
    </message>
    <message>
        <source>%1 in %2</source>
        <translation>%1 dans %2</translation>
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
        <translation>usage : msgdesk [CHEMIN]
        msgdesk --version | --help | --check-device-support

Affiche les SMS d’un iPhone branché en USB, de ses sauvegardes et des
fichiers de sauvegarde .sms. CHEMIN, s’il est donné, est un fichier de
sauvegarde .sms ou un dossier de sauvegarde de téléphone à ouvrir au
démarrage.

  --version               affiche la version et quitte
  --help                  affiche ce texte et quitte
  --check-device-support  indique où la prise en charge des appareils a été
                          trouvée et quitte (état 1 si elle est absente)
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
        <translation>É&amp;dition</translation>
    </message>
    <message>
        <source>Edit</source>
        <translation>Édition</translation>
    </message>
    <message>
        <source>&amp;Done</source>
        <translation>&amp;Terminé</translation>
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
        <translation>Message</translation>
    </message>
    <message>
        <source>4444444444444</source>
        <translation>4444444444444</translation>
    </message>
    <message>
        <source>Edit</source>
        <translation>Édition</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Supprimer</translation>
    </message>
    <message>
        <source>Done</source>
        <translation>Terminé</translation>
    </message>
    <message>
        <source>Clear All</source>
        <translation>Tout effacer</translation>
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
        <translation>Rendez-vous à la gare demain à huit heures.</translation>
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
        <translation>Supprimer</translation>
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
        <translation>Information</translation>
    </message>
    <message>
        <source>%1 is not in this backup.</source>
        <translation>%1 ne se trouve pas dans cette sauvegarde.</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>Avertissement</translation>
    </message>
    <message>
        <source>The attachment cannot be opened.</source>
        <translation>La pièce jointe ne peut pas être ouverte.</translation>
    </message>
    <message>
        <source>No program to open %1 was found.</source>
        <translation>Aucun programme permettant d’ouvrir %1 n’a été trouvé.</translation>
    </message>
    <message>
        <source>Save attachment</source>
        <translation>Enregistrer la pièce jointe</translation>
    </message>
    <message>
        <source>The attachment could not be saved.</source>
        <translation>La pièce jointe n’a pas pu être enregistrée.</translation>
    </message>
    <message>
        <source>This conversation has no attachments.</source>
        <translation>Cette conversation n’a aucune pièce jointe.</translation>
    </message>
    <message>
        <source>Save all attachments</source>
        <translation>Enregistrer toutes les pièces jointes</translation>
    </message>
    <message numerus="yes">
        <source>%n attachment(s) saved.</source>
        <translation>
            <numerusform>%n pièce jointe enregistrée.</numerusform>
            <numerusform>%n pièces jointes enregistrées.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n not in this backup.</source>
        <translation>
            <numerusform>%n ne se trouve pas dans cette sauvegarde.</numerusform>
            <numerusform>%n ne se trouvent pas dans cette sauvegarde.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n could not be saved.</source>
        <translation>
            <numerusform>%n n’a pas pu être enregistrée.</numerusform>
            <numerusform>%n n’ont pas pu être enregistrées.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>views::AttachmentStrip</name>
    <message>
        <source>not in this backup</source>
        <translation>absente de cette sauvegarde</translation>
    </message>
    <message>
        <source>Voice message</source>
        <translation>Message vocal</translation>
    </message>
    <message>
        <source>Save attachment…</source>
        <translation>Enregistrer la pièce jointe…</translation>
    </message>
    <message>
        <source>Save all attachments…</source>
        <translation>Enregistrer toutes les pièces jointes…</translation>
    </message>
</context>
<context>
    <name>views::EventText</name>
    <message>
        <source>You</source>
        <translation>Vous</translation>
    </message>
    <message>
        <source>you</source>
        <translation>vous</translation>
    </message>
    <message>
        <source>%1 added %2</source>
        <translation>%1 a ajouté %2</translation>
    </message>
    <message>
        <source>%1 removed %2</source>
        <translation>%1 a retiré %2</translation>
    </message>
    <message>
        <source>%1 removed the conversation&apos;s name</source>
        <translation>%1 a supprimé le nom de la conversation</translation>
    </message>
    <message>
        <source>%1 named the conversation “%2”</source>
        <translation>%1 a nommé la conversation « %2 »</translation>
    </message>
    <message>
        <source>%1 left the conversation</source>
        <translation>%1 a quitté la conversation</translation>
    </message>
    <message>
        <source>%1 changed the conversation</source>
        <translation>%1 a modifié la conversation</translation>
    </message>
</context>
<context>
    <name>xframeskin</name>
    <message>
        <source>Minimize</source>
        <translation>Réduire</translation>
    </message>
    <message>
        <source>Maximize</source>
        <translation>Agrandir</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Fermer</translation>
    </message>
    <message>
        <source>Restore</source>
        <translation>Restaurer</translation>
    </message>
</context>
</TS>
