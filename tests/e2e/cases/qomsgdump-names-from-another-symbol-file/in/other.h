/* An older symbol file: message 2 had another name, 7 none. */
#define _H_MSGSYM
#define _MSGSYM_CHECKSUM 1234
#define OPEN_FAILED      1
#define   DISK_IS_SLOW	2
#define NOT_A_NUMBER     x7
#define _MAX_INSERTS     1
