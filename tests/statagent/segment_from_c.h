// What a C client sees of the segment and the client library: compiled as C,
// so that the headers are proven to work for the C clients they are made for.
#pragma once

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

enum SegmentField { kFieldSemId, kFieldRequest, kFieldErrNum, kFieldResult, kFieldWaitOp,
                    kFieldStatBuf, kFieldPath, kFieldCount };

// The field's offset as the C compiler lays the segment out.
size_t SegmentOffsetFromC(enum SegmentField field);

// One stat request through the client library from C: the client result, and
// for an answered request the agent's result, errNum and the inode number.
int StatFromC(const char* agentPath, const char* path, int* result, int* errNum,
              unsigned long long* inode);

#ifdef __cplusplus
}
#endif
