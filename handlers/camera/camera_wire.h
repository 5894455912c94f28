// Core messages of camera channel management: request and answer layouts (native
// little-endian, texts NUL-terminated in fixed fields that an answer may fill to the
// end), their message types, and field tables through which the handlers fill requests
// from the web's JSON and turn answers into JSON without per-field code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "field_table.h"

// ---- Message types ------------------------------------------------------------------------

inline constexpr int kReqChannelAdded = 1201;
inline constexpr int kReqChannelDeleted = 1202;
inline constexpr int kReqChannelChanged = 1203;
inline constexpr int kReqChannelPoe = 1206;
inline constexpr int kReqModelType = 2503;
inline constexpr int kReqChannelModels = 2505;
inline constexpr int kReqSearch = 3200;
inline constexpr int kReqChannelList = 3201;
inline constexpr int kReqLoginTest = 3202;
inline constexpr int kReqNetworkChange = 3205;
inline constexpr int kReqWebLoginTest = 3227;
inline constexpr int kReqNetworkBatch = 3229;
inline constexpr int kReqNetworkBatchResult = 3230;
inline constexpr int kReqMotionState = 3307;
inline constexpr int kReqConsoleCommand = 4002;

// An answer's type is its request's plus this.
inline constexpr int kAnswerOffset = 5000;
// The console answers under a second type too.
inline constexpr int kAnsConsoleCommandAlt = 9003;

// ---- Requests ----------------------------------------------------------------------------

// 3202: test a camera login.
struct LoginTestRequest {
  char ipAddr[32];
  int32_t managePort;
  char userName[64];
  char password[33];
  char pad0[3];
  int32_t camProtocol;
  unsigned char reserved[72];
};
static_assert(sizeof(LoginTestRequest) == 212);
static_assert(offsetof(LoginTestRequest, managePort) == 32);
static_assert(offsetof(LoginTestRequest, userName) == 36);
static_assert(offsetof(LoginTestRequest, password) == 100);
static_assert(offsetof(LoginTestRequest, camProtocol) == 136);
static_assert(offsetof(LoginTestRequest, reserved) == 140);
static_assert(std::is_trivially_copyable_v<LoginTestRequest>);

// 3227: test a camera login on its web port.
struct WebLoginTestRequest {
  int32_t reserved0;
  char ipAddr[32];
  int32_t managePort;  // at least 80
  char userName[64];
  char password[33];
  char pad0[3];
  int32_t camProtocol;
  int32_t reserved1;
};
static_assert(sizeof(WebLoginTestRequest) == 148);
static_assert(offsetof(WebLoginTestRequest, ipAddr) == 4);
static_assert(offsetof(WebLoginTestRequest, managePort) == 36);
static_assert(offsetof(WebLoginTestRequest, userName) == 40);
static_assert(offsetof(WebLoginTestRequest, password) == 104);
static_assert(offsetof(WebLoginTestRequest, camProtocol) == 140);
static_assert(std::is_trivially_copyable_v<WebLoginTestRequest>);

// 3205: change a camera's network address; 3229 adds the channel and the batch number.
struct NetworkChangeRequest {
  char macAddr[48];
  char oldIpcAddr[32];
  char newIpcAddr[32];
  char netmask[32];
  char gateway[32];
  char primaryDNS[32];
  int32_t port;
  char username[64];
  char password[33];
  char pad0[3];
  int32_t protocol;
  unsigned char reserved[64];
  char netif[6];
  char pad1[2];
};
struct NetworkBatchRequest {
  NetworkChangeRequest change;
  int32_t channelId;
  int32_t modifynum;
};
static_assert(sizeof(NetworkChangeRequest) == 388);
static_assert(offsetof(NetworkChangeRequest, oldIpcAddr) == 48);
static_assert(offsetof(NetworkChangeRequest, newIpcAddr) == 80);
static_assert(offsetof(NetworkChangeRequest, netmask) == 112);
static_assert(offsetof(NetworkChangeRequest, gateway) == 144);
static_assert(offsetof(NetworkChangeRequest, primaryDNS) == 176);
static_assert(offsetof(NetworkChangeRequest, port) == 208);
static_assert(offsetof(NetworkChangeRequest, username) == 212);
static_assert(offsetof(NetworkChangeRequest, password) == 276);
static_assert(offsetof(NetworkChangeRequest, protocol) == 312);
static_assert(offsetof(NetworkChangeRequest, reserved) == 316);
static_assert(offsetof(NetworkChangeRequest, netif) == 380);
static_assert(sizeof(NetworkBatchRequest) == 396);
static_assert(offsetof(NetworkBatchRequest, channelId) == 388);
static_assert(offsetof(NetworkBatchRequest, modifynum) == 392);
static_assert(std::is_trivially_copyable_v<NetworkBatchRequest>);

// 1206: PoE notice of a channel.
struct ChannelPoeNotice {
  int32_t id;
  int32_t otherPoe;  // 1 when the request's "otherPoe" is 1
};
static_assert(sizeof(ChannelPoeNotice) == 8);
static_assert(std::is_trivially_copyable_v<ChannelPoeNotice>);

// 4002: a command for the recorder's local console.
struct ConsoleCommandRequest {
  char cmd[100];
};
static_assert(sizeof(ConsoleCommandRequest) == 100);
static_assert(std::is_trivially_copyable_v<ConsoleCommandRequest>);
// 9002/9003: the command's result text starts at this byte of the answer.
inline constexpr std::size_t kConsoleResultOffset = 16;

// ---- Answers -------------------------------------------------------------------------------

// 8200: one camera found by a search.
struct SearchResultEntry {
  char ipAddr[32];
  char macAddr[32];
  int32_t managePort;
  int32_t protocol;
  char vendor[192];
  char sn[128];
  char fwVersion[64];
  char model[64];
  int32_t modelId;
  char netmask[32];
  char dns[32];
  char gateway[32];
  char netif[8];
  int32_t active_status;
  char name[64];
  char snReal[64];
};
static_assert(sizeof(SearchResultEntry) == 760);
static_assert(offsetof(SearchResultEntry, managePort) == 64);
static_assert(offsetof(SearchResultEntry, vendor) == 72);
static_assert(offsetof(SearchResultEntry, sn) == 264);
static_assert(offsetof(SearchResultEntry, fwVersion) == 392);
static_assert(offsetof(SearchResultEntry, model) == 456);
static_assert(offsetof(SearchResultEntry, modelId) == 520);
static_assert(offsetof(SearchResultEntry, netmask) == 524);
static_assert(offsetof(SearchResultEntry, netif) == 620);
static_assert(offsetof(SearchResultEntry, active_status) == 628);
static_assert(offsetof(SearchResultEntry, name) == 632);
static_assert(offsetof(SearchResultEntry, snReal) == 696);
static_assert(std::is_trivially_copyable_v<SearchResultEntry>);

// 8201: one channel of the live channel list.
struct ChannelListEntry {
  int32_t id;
  int32_t managePort;
  int32_t camProtocol;
  int32_t state;
  int32_t mainRtspPort;
  char ipAddr[32];
  char vendor[192];
  char sn[128];
  char fwVersion[64];
  char mac[48];
  char model[64];
  unsigned char reserved[260];
  int32_t poechannel;
  int32_t physicalport;
  int32_t alarmin;
  int32_t alarmout;
  int32_t whiteLed;
  int32_t ledAlarm;
  int32_t ledManual;
  int32_t minorid;
  int32_t subState;
  int32_t connectState;
  char snReal[64];
  char ddns[64];
  char chipinfo[64];
};
static_assert(sizeof(ChannelListEntry) == 1040);
static_assert(offsetof(ChannelListEntry, ipAddr) == 20);
static_assert(offsetof(ChannelListEntry, vendor) == 52);
static_assert(offsetof(ChannelListEntry, sn) == 244);
static_assert(offsetof(ChannelListEntry, fwVersion) == 372);
static_assert(offsetof(ChannelListEntry, mac) == 436);
static_assert(offsetof(ChannelListEntry, model) == 484);
static_assert(offsetof(ChannelListEntry, poechannel) == 808);
static_assert(offsetof(ChannelListEntry, alarmin) == 816);
static_assert(offsetof(ChannelListEntry, alarmout) == 820);
static_assert(offsetof(ChannelListEntry, minorid) == 836);
static_assert(offsetof(ChannelListEntry, subState) == 840);
static_assert(offsetof(ChannelListEntry, connectState) == 844);
static_assert(offsetof(ChannelListEntry, snReal) == 848);
static_assert(offsetof(ChannelListEntry, ddns) == 912);
static_assert(offsetof(ChannelListEntry, chipinfo) == 976);
static_assert(std::is_trivially_copyable_v<ChannelListEntry>);

// 7505: the model of one channel's camera (64 entries).
struct ChannelModelEntry {
  int32_t chnid;
  char ipaddr[32];
  char model[64];
  char fwversion[64];
};
static_assert(sizeof(ChannelModelEntry) == 164);
static_assert(offsetof(ChannelModelEntry, model) == 36);
static_assert(offsetof(ChannelModelEntry, fwversion) == 100);
static_assert(std::is_trivially_copyable_v<ChannelModelEntry>);

// 8230: the result of one camera of the last batch address change.
struct BatchResultEntry {
  char mac[48];
  int32_t result;
};
static_assert(sizeof(BatchResultEntry) == 52);
static_assert(offsetof(BatchResultEntry, result) == 48);
static_assert(std::is_trivially_copyable_v<BatchResultEntry>);

// 8307: the channels with motion, bit n for channel n.
struct MotionStateAnswer {
  uint32_t low;   // channels 0 to 31
  uint32_t high;  // channels 32 to 63
};
static_assert(sizeof(MotionStateAnswer) == 8);
static_assert(std::is_trivially_copyable_v<MotionStateAnswer>);

// ---- Operation log detail ----------------------------------------------------------------

inline constexpr int kLogDetailCamera = 111;

// Detail kind 111: the camera a channel change concerns.
struct CameraLogDetail {
  int32_t paramType;
  char address[64];
  int32_t port;
  int32_t channel;  // id + 1
  unsigned char reserved0[64];
  char protocol[16];   // "ONVIF", "RTSP" or "DVSF"
  char transport[16];  // "UDP", "TCP" or "RTSP Over HTTPS"
  uint8_t syncTime;
  unsigned char reserved1[3];
};
static_assert(sizeof(CameraLogDetail) == 176);
static_assert(offsetof(CameraLogDetail, address) == 4);
static_assert(offsetof(CameraLogDetail, port) == 68);
static_assert(offsetof(CameraLogDetail, channel) == 72);
static_assert(offsetof(CameraLogDetail, protocol) == 140);
static_assert(offsetof(CameraLogDetail, transport) == 156);
static_assert(offsetof(CameraLogDetail, syncTime) == 172);
static_assert(std::is_trivially_copyable_v<CameraLogDetail>);

// ---- Field tables (JSON keys as the web names them) --------------------------------------

extern const RecordKind kLoginTestKind;
extern const RecordKind kWebLoginTestKind;
extern const RecordKind kNetworkChangeKind;
extern const RecordKind kNetworkBatchKind;
extern const RecordKind kSearchResultKind;
extern const RecordKind kChannelListKind;
extern const RecordKind kChannelModelKind;
extern const RecordKind kBatchResultKind;
