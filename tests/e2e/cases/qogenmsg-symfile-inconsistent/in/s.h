#define _MSGSYM_CHECKSUM 135
#define _MSGSYM_TIMESTAMP "x"
#define A 1
#define B 2
