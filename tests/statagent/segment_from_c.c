#include "segment_from_c.h"

#include "agent_client.h"
#include "agent_segment.h"

size_t SegmentOffsetFromC(enum SegmentField field) {
  switch (field) {
    case kFieldSemId: return offsetof(AgentSegment, semId);
    case kFieldRequest: return offsetof(AgentSegment, request);
    case kFieldErrNum: return offsetof(AgentSegment, errNum);
    case kFieldResult: return offsetof(AgentSegment, result);
    case kFieldWaitOp: return offsetof(AgentSegment, waitOp);
    case kFieldStatBuf: return offsetof(AgentSegment, statBuf);
    case kFieldPath: return offsetof(AgentSegment, path);
    case kFieldCount: break;
  }
  return (size_t)-1;
}

int StatFromC(const char* agentPath, const char* path, int* result, int* errNum,
              unsigned long long* inode) {
  AgentClientOptions options = {agentPath, 0, 5000, 0, 0};
  AgentClient* client = NULL;
  AgentReply reply;
  int status = agentClientOpen(&options, &client);
  if (status != AGENT_CLIENT_OK) return status;
  status = agentClientRequest(client, AGENT_REQUEST_STAT, path, &reply);
  if (status == AGENT_CLIENT_OK) {
    *result = reply.result;
    *errNum = reply.errNum;
    *inode = reply.record.st.st_ino;
  }
  int closed = agentClientClose(client);
  return status != AGENT_CLIENT_OK ? status : closed;
}
