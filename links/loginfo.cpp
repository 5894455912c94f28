// The operation log record: caller identity, initialisation and sending.
#include "loginfo.h"

#include <cstring>

#include "cgi.h"
#include "cgi_ipc.h"

int get_current_username(char* buffer, std::size_t size) {
  if (buffer == nullptr || size == 0) return -1;
  // The first "userName" anywhere in the header, not anchored to a cookie boundary: a
  // suffixed cookie name ("userNameX=op") is read too, through its "=".
  const char* at = std::strstr(cgiCookie, "userName");
  if (at == nullptr) return -1;
  at += 8;
  if (*at != '\0') ++at;  // normally the "="
  std::size_t n = std::strcspn(at, ";");
  if (n > size - 1) n = size - 1;
  // Within what was copied, a name that goes on after "userName" ends at its "=".
  const char* eq = static_cast<const char*>(std::memchr(at, '=', n));
  if (eq != nullptr) {
    n -= static_cast<std::size_t>(eq + 1 - at);
    at = eq + 1;
  }
  std::memmove(buffer, at, n);
  buffer[n] = '\0';
  return 0;
}

int cgi_init_log_info(OperationLogRecord* record) {
  if (record == nullptr) return -1;
  std::memset(record, 0, sizeof *record);
  record->mainType = kLogMainOperation;
  record->remote = 1;
  (void)get_current_username(record->userName, 64);
  std::strncpy(record->remoteAddr, cgiRemoteAddr, 45);
  record->remoteAddr[45] = '\0';
  return 0;
}

OperationLogRecord cgi_make_log(int sub_type, int param_type, int channel) {
  OperationLogRecord record;
  cgi_init_log_info(&record);
  record.mainType = kLogMainOperation;
  record.subType = sub_type;
  record.paramType = param_type;
  record.channel = channel >= 0 ? channel + 1 : 0;
  return record;
}

void cgi_send_log(dv_sock_callback callback, const OperationLogRecord& record) {
  int rc = cgi_start_ipc(callback, kLogRequest, sizeof record, &record, 1);
  cgi_stop_ipc(rc);
}

void cgi_send_log_mask(dv_sock_callback callback, const OperationLogRecord& record, uint64_t mask) {
  OperationLogMaskRecord with_mask;
  with_mask.record = record;
  with_mask.mask = mask;
  int rc = cgi_start_ipc(callback, kLogRequestWithMask, sizeof with_mask, &with_mask, 1);
  cgi_stop_ipc(rc);
}
