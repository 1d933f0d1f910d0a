#define _MAX_INSERTS 1
#define _MAX_INSERTS 1
