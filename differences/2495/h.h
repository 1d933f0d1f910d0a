#define _MSGSYM_CHECKSUM 200
#define _MAX_INSERTS many
