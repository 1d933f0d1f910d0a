#define _MSGSYM_TIMESTAMP "short"
