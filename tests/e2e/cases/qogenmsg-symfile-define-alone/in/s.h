#define
