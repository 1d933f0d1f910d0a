Help text of the older backup clients, in the byte-stream tag form.
Everything before the first major heading is a comment and is skipped.
Headings are major (H), sub (S), topic with its own button (T) and end
topic (E), each written as dollar, letter, link, percent, link, percent,
button name, and the same dollar and letter. Wrap regions are enclosed
in dollar-W tags and reflow on the client's screen.

$H100%101%Overview$H
OVERVIEW OF THE BACKUP CLIENT

$WThe backup client copies files from this workstation to the
backup server and brings them back when they are lost or
damaged. It keeps several versions of every file, so that a
file can be restored as it was on an earlier day.$W

This help describes the main window, the backup and restore
functions, the scheduler, the options file and the messages
that the client may show. Select a topic in the list on the
left, or press F1 in any window to see the help for that
window.

Words in capitals name buttons or menu choices. Text that
you type is shown in quotation marks; do not type the
quotation marks.

$S110%111%Main window$S
THE MAIN WINDOW

$WThe main window shows the four functions of the client as
large buttons: BACKUP, RESTORE, ARCHIVE and RETRIEVE. Below
them the status line shows the name of the server, the node
name of this workstation and the time of the last backup.$W

The menu bar holds the File, Edit, Actions, Utilities, View
and Help menus. Most functions can be started from a button
as well as from a menu.

$S120%121%Starting$S
STARTING AND STOPPING THE CLIENT

$WStart the client from the program list or by typing
"qoclient" at a command prompt. The client asks for your
password the first time it contacts the server; it can store
the password so that it does not ask again.$W

To stop the client, choose EXIT from the File menu. A backup
or restore that is running is completed first, unless you
cancel it.

$S130%131%Server contact$S
CONTACTING THE SERVER

$WThe client contacts the server named in the options file. If
the server cannot be reached, the client shows a message
with the reason and the address that it tried. Check the
network connection and the server address, then try again.$W

The server may refuse the contact when the node name is not
registered or the password has expired. Ask your
administrator to register the node or to reset the password.

$H200%201%Backup$H
BACKING UP FILES

$WA backup copies files to the server. An incremental backup
copies only the files that are new or that have changed
since the last backup; a selective backup copies the files
that you choose, whether or not they have changed.$W

Files that are open in another program may be skipped. The
client reports every skipped file in the backup report at
the end of the run.

$S210%211%Incremental$S
INCREMENTAL BACKUP

$WChoose BACKUP, then INCREMENTAL. The client compares every
file in the selected drives with the list of files on the
server and sends the new and changed files. Files that were
deleted from the workstation are marked as inactive on the
server; their last version is kept for the number of days
that the server's policy names.$W

An incremental backup of a whole drive can take a long time
the first time it runs. Later runs are much faster, because
only the changes are sent.

$S220%221%Selective$S
SELECTIVE BACKUP

$WChoose BACKUP, then SELECTIVE. The file tree shows the
drives and directories of the workstation. Mark the files
and directories that you want to back up and press BACKUP.$W

A selective backup does not mark deleted files as inactive.
Use it for a few important files that you want to save at
once, for example before you install new software.

$S230%231%Include/Exclude$S
INCLUDING AND EXCLUDING FILES

$WThe include and exclude list in the options file decides
which files a backup considers. Each line begins with
INCLUDE or EXCLUDE and names a file pattern; the list is
read from the bottom up, and the first pattern that matches
a file decides.$W

Exclude temporary files, caches and files that can be
rebuilt, so that backups are faster and use less space on
the server. Do not exclude the files of programs that keep
their data in their own directories.

$S240%241%Backup report$S
THE BACKUP REPORT

$WAt the end of every backup the client shows a report: the
number of files inspected, backed up, updated, skipped and
failed, the number of bytes sent and the elapsed time. Press
DETAILS to see the name of every file that failed and the
reason.$W

The same report is written to the error log when a file
failed, so that it can be read after the window has been
closed.

$H300%301%Restore$H
RESTORING FILES

$WA restore brings files back from the server. You can restore
the latest version of a file or any earlier version that the
server still keeps, to the place that the file came from or
to another directory.$W

Restoring a file over an existing file replaces the existing
file. The client asks before it replaces a file, unless you
chose to replace all files without asking.

$S310%311%Latest version$S
RESTORING THE LATEST VERSION

$WChoose RESTORE. The file tree shows the files that the
server holds for this workstation. Mark the files and
directories that you want and press RESTORE. Choose whether
the files go back to their original place or to a directory
that you name.$W

Directories are restored with their files. Empty directories
are restored only when you mark them.

$S320%321%Earlier versions$S
RESTORING AN EARLIER VERSION

$WChoose VIEW, then DISPLAY ACTIVE AND INACTIVE FILES. The
file tree then shows every version that the server keeps,
with the date of the backup that sent it. Mark the version
that you want and restore it like the latest one.$W

The number of versions and the number of days that they are
kept are set by the server's policy. Ask your administrator
when you need older versions than the server keeps.

$S330%331%Point in time$S
RESTORING TO A POINT IN TIME

$WTo restore a whole directory as it was at a given moment,
choose RESTORE, then POINT IN TIME, and enter the date and
time. The client selects for every file the version that was
active at that moment, and leaves out the files that did not
exist then.$W

$H400%401%Archive$H
ARCHIVING AND RETRIEVING

$WAn archive is a copy of files that the server keeps for a
fixed time, independent of backups. Use archives for files
that you want to keep for a long time, or before you delete
files from the workstation to free space.$W

Archived files are not replaced by later archives of the
same file; each archive is kept with its description until
its retention period ends.

$S410%411%Archiving$S
ARCHIVING FILES

$WChoose ARCHIVE, mark the files and enter a description of at
most 254 characters. The description helps you find the
archive later. Select DELETE AFTER ARCHIVE to remove the
files from the workstation once the server has confirmed
that it holds them.$W

$S420%421%Retrieving$S
RETRIEVING ARCHIVED FILES

$WChoose RETRIEVE. The file tree shows the archives by
description and date. Mark the files that you want and press
RETRIEVE; choose the destination as for a restore.$W

$H500%501%Scheduler$H
SCHEDULED BACKUPS

$WThe scheduler runs backups and archives at the times that
the server's schedules name, without anyone at the
workstation. It is a separate program that the client
installs as a service; it contacts the server to learn the
next scheduled event and then waits for it.$W

The scheduler writes what it does to the schedule log. Read
the log to see when the last scheduled backup ran and
whether any files failed.

$S510%511%Starting it$S
STARTING THE SCHEDULER

$WChoose UTILITIES, then SETUP WIZARD, and select HELP ME
CONFIGURE THE SCHEDULER. The wizard installs the scheduler
as a service, stores the password and starts the service.
The scheduler then starts with the workstation.$W

$S520%521%Schedule log$S
THE SCHEDULE LOG

$WThe schedule log is a text file in the client's directory.
Each event adds a line with the date and time, the event's
name and its result. The log is trimmed to the number of
days that the option SCHEDLOGRETENTION names; older lines
are removed.$W

$H600%601%Options$H
THE OPTIONS FILE

$WThe options file holds the settings of the client, one
option on each line: the option's name, blanks and its
value. Lines that begin with an asterisk are comments. Most
options can also be set with the PREFERENCES editor in the
Edit menu, which rewrites the file.$W

The client reads the options file when it starts. Restart
the client after you edit the file by hand.

$S610%611%Communication$S
COMMUNICATION OPTIONS

$WCOMMMETHOD names the protocol used to reach the server.
TCPSERVERADDRESS names the server's host name or address,
and TCPPORT its port. TCPBUFFSIZE and TCPWINDOWSIZE tune the
transfer; the defaults suit most networks.$W

Change these options only when your administrator tells you
to. A wrong value stops the client from reaching the server.

$S620%621%Backup options$S
BACKUP OPTIONS

$WDOMAIN names the drives that an incremental backup without a
file list covers; ALL-LOCAL, the default, means every local
drive. SUBDIR YES makes a selective backup descend into
directories. CHANGINGRETRIES sets how often a file that
changes while it is sent is tried again before it is
skipped.$W

$S630%631%Log options$S
ERROR AND SCHEDULE LOG OPTIONS

$WERRORLOGNAME and SCHEDLOGNAME name the two log files.
ERRORLOGRETENTION and SCHEDLOGRETENTION give the number of
days that their lines are kept, or N to keep them for ever.$W

$H700%701%Messages$H
MESSAGES

$WEvery message of the client begins with a number and a
letter: I for information, W for a warning, E for an error
and S for a severe error. Look up the number in this section
to see what the message means and what to do.$W

Messages that name a file also give the reason that the
operating system reported.

$S710%711%Connection$S
CONNECTION MESSAGES

$W"Session rejected: unknown node name": the server does not
know the node name of this workstation. Ask your
administrator to register it, or correct NODENAME in the
options file.$W

"Session rejected: TCP/IP connection failure": the server
could not be reached. Check the network cable, the server
address and the port, and whether the server is running.

$S720%721%File messages$S
FILE MESSAGES

$W"File is in use; skipped": another program had the file open
without sharing. Close that program and run the backup
again, or let the scheduler back the file up at night.$W

"Access denied": your user name may not read the file. Run
the client as a user with the right to read all files, for
example through the scheduler service.

$E730%731%Server messages$E
SERVER MESSAGES

$W"Server out of storage space": the server's storage pool is
full. The backup stops; tell your administrator. Files that
were sent before the message are safe on the server.$W

$T800%801%Getting help$T
GETTING MORE HELP

$WYour administrator can tell you the server's name, your node
name and the policies that apply to this workstation. Have
the error log and the schedule log at hand when you ask for
help; they show what the client did and why it failed.$W

Choose HELP, then ABOUT, to see the version of the client.
Quote it in any question about the client.

