#define _MSGSYM_CHECKSUM 66
#define A 1
