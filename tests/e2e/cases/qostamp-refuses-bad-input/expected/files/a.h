#define _MSGSYM_CHECKSUM 100
#define _MSGSYM_TIMESTAMP                "Fri Dec 31 23:59:59 9999"
#define A 1
