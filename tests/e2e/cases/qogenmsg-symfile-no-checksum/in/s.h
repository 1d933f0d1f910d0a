#define _MSGSYM_TIMESTAMP "x"
#define A 1
