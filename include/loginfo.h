// The operation log record: what the web side tells the core after every change (who,
// from where, which channel, what kind of change). Sent without waiting as request 3485,
// or as 3509 followed by a 64-bit mask of the channels or outputs concerned.
//
// Implemented in links/loginfo.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "dvsocket.h"

struct OperationLogRecord {
  int32_t mainType;  // always 4 (operation) from the web side
  int32_t reserved0;
  int64_t subType;
  int32_t reserved1;
  int32_t time;       // stamped by the core
  int32_t paramType;  // which settings changed; 900 when none applies
  int32_t remote;     // 1: made through the web interface
  int32_t channel;    // 1-based channel, 0 when none
  char remoteAddr[46];
  char userName[66];
  int32_t size;
  unsigned char detail[512];
  unsigned char reserved2[8];
};
static_assert(sizeof(OperationLogRecord) == 672);
static_assert(offsetof(OperationLogRecord, subType) == 8);
static_assert(offsetof(OperationLogRecord, time) == 20);
static_assert(offsetof(OperationLogRecord, paramType) == 24);
static_assert(offsetof(OperationLogRecord, remote) == 28);
static_assert(offsetof(OperationLogRecord, channel) == 32);
static_assert(offsetof(OperationLogRecord, remoteAddr) == 36);
static_assert(offsetof(OperationLogRecord, userName) == 82);
static_assert(offsetof(OperationLogRecord, size) == 148);
static_assert(offsetof(OperationLogRecord, detail) == 152);
static_assert(offsetof(OperationLogRecord, reserved2) == 664);
static_assert(std::is_trivially_copyable_v<OperationLogRecord>);

struct OperationLogMaskRecord {
  OperationLogRecord record;
  uint64_t mask;  // bit n: channel or alarm output n
};
static_assert(sizeof(OperationLogMaskRecord) == 680);
static_assert(offsetof(OperationLogMaskRecord, mask) == 672);

inline constexpr int kLogMainOperation = 4;
inline constexpr int kLogRequest = 3485;
inline constexpr int kLogRequestWithMask = 3509;

// Sub types.
inline constexpr int kLogSubRestart = 200;
inline constexpr int kLogSubLogin = 201;
inline constexpr int kLogSubLogout = 202;
inline constexpr int kLogSubLocalUpgrade = 203;
inline constexpr int kLogSubParameter = 204;
// Parameter types.
inline constexpr int kLogParamNone = 900;

// The caller's user name from the "userName" cookie (see loginfo.cpp for the exact rule),
// cut to size-1 characters. 0, or -1 for a null buffer or no such cookie (buffer unchanged).
int get_current_username(char* buffer, std::size_t size = 64);

// Zeroes the record, sets main type 4 and the remote flag, the caller's user name and
// the client address (REMOTE_ADDR cut to 45 characters). -1 for null, else 0.
int cgi_init_log_info(OperationLogRecord* record);

// A record initialised as above with the given sub type, parameter type and 0-based
// channel (-1: none).
OperationLogRecord cgi_make_log(int sub_type, int param_type, int channel = -1);

// Sends the record without waiting (3485), through the module's answer callback.
void cgi_send_log(dv_sock_callback callback, const OperationLogRecord& record);
// Sends the record and the mask without waiting (3509).
void cgi_send_log_mask(dv_sock_callback callback, const OperationLogRecord& record, uint64_t mask);
