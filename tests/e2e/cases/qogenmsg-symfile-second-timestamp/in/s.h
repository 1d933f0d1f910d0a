#define _MSGSYM_CHECKSUM 134
#define _MSGSYM_TIMESTAMP "x"
#define A 1
#define B 2
#define _MSGSYM_TIMESTAMP "y"
