#include "segment_from_c.h"

#include <qokit/qoagent.h>

size_t SegmentOffsetFromC(enum SegmentField field) {
  switch (field) {
    case kFieldSemId: return offsetof(AgentSegment, semId);
    case kFieldRequest: return offsetof(AgentSegment, request);
    case kFieldErrNum: return offsetof(AgentSegment, errNum);
    case kFieldResult: return offsetof(AgentSegment, result);
    case kFieldWaitOp: return offsetof(AgentSegment, waitOp);
    case kFieldStatBuf: return offsetof(AgentSegment, statBuf);
    case kFieldPath: return QOAGENT_PATH_OFFSET;
    case kFieldCount: break;
  }
  return (size_t)-1;
}

int StatFromC(const char* agentPath, const char* path, int* result, int* errNum,
              unsigned long long* inode) {
  qoagent_options options = {agentPath, 0, 5000, 0, 0};
  qoagent_client* client = NULL;
  qoagent_reply reply;
  int status = qoagent_open(&options, &client);
  if (status != QOAGENT_OK) return status;
  status = qoagent_request(client, QOAGENT_REQUEST_STAT, path, &reply);
  if (status == QOAGENT_OK) {
    *result = reply.result;
    *errNum = reply.err_num;
    *inode = reply.record.st.st_ino;
  }
  int closed = qoagent_close(client);
  return status != QOAGENT_OK ? status : closed;
}
