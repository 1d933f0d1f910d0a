/* hand-written */
#define _MSGSYM_CHECKSUM 200
#define   _MAX_INSERTS	3
#define A 1
