#define _MSGSYM_CHECKSUM 100
#define _MSGSYM_TIMESTAMP                "Mon Dec  7 10:00:00 2026"
#define A 1
