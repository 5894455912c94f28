// Field tables of the camera channel messages. A table's order is the order in which
// the web expects the keys of an answer, which is not always the order of the bytes.
#include "camera/camera_wire.h"

#include <array>
#include <cstdint>
#include <iterator>

#include "camera/camera_record.h"

namespace {

template <std::size_t N>
constexpr RecordKind wire_kind(const char* name, uint32_t size, const FieldDesc (&fields)[N]) {
  return RecordKind{
      .name = name, .size = size, .fields = fields, .field_count = static_cast<int>(N)};
}
template <std::size_t N>
constexpr RecordKind wire_kind(const char* name, uint32_t size,
                               const std::array<FieldDesc, N>& fields) {
  return RecordKind{
      .name = name, .size = size, .fields = fields.data(), .field_count = static_cast<int>(N)};
}

// Both login tests carry the same keys, at other offsets.
template <class Req>
constexpr std::array<FieldDesc, 5> login_fields() {
  return {
      NVR_FIELD(Req, ipAddr, "ipAddr"),
      NVR_FIELD(Req, managePort, "managePort").range(0, INT32_MAX),
      NVR_FIELD(Req, userName, "userName"),
      NVR_FIELD(Req, password, "password"),
      NVR_FIELD(Req, camProtocol, "camProtocol").range(0, kCameraProtocolMax),
  };
}
constexpr auto kLoginTestFields = login_fields<LoginTestRequest>();
constexpr auto kWebLoginTestFields = login_fields<WebLoginTestRequest>();

constexpr FieldDesc kNetworkChangeFields[] = {
    NVR_FIELD(NetworkChangeRequest, macAddr, "macAddr"),
    NVR_FIELD(NetworkChangeRequest, oldIpcAddr, "oldIpcAddr"),
    NVR_FIELD(NetworkChangeRequest, newIpcAddr, "newIpcAddr"),
    NVR_FIELD(NetworkChangeRequest, netmask, "netmask"),
    NVR_FIELD(NetworkChangeRequest, gateway, "gateway"),
    NVR_FIELD(NetworkChangeRequest, primaryDNS, "primaryDNS"),
    NVR_FIELD(NetworkChangeRequest, port, "port").range(0, 65535),
    NVR_FIELD(NetworkChangeRequest, username, "username"),
    NVR_FIELD(NetworkChangeRequest, password, "password"),
    NVR_FIELD(NetworkChangeRequest, protocol, "protocol").range(0, kCameraProtocolMax),
    NVR_FIELD(NetworkChangeRequest, netif, "netif"),
};

// The two words a batch entry adds to the change record.
constexpr FieldDesc kNetworkBatchFields[] = {
    NVR_FIELD(NetworkBatchRequest, channelId, "channelId"),
    NVR_FIELD(NetworkBatchRequest, modifynum, "modifynum"),
};

constexpr FieldDesc kSearchResultFields[] = {
    NVR_FIELD(SearchResultEntry, ipAddr, "ipAddr"),
    NVR_FIELD(SearchResultEntry, managePort, "managePort"),
    NVR_FIELD(SearchResultEntry, protocol, "protocol"),
    NVR_FIELD(SearchResultEntry, macAddr, "macAddr"),
    NVR_FIELD(SearchResultEntry, vendor, "vendor"),
    NVR_FIELD(SearchResultEntry, sn, "sn"),
    NVR_FIELD(SearchResultEntry, fwVersion, "fwVersion"),
    NVR_FIELD(SearchResultEntry, model, "model"),
    NVR_FIELD(SearchResultEntry, modelId, "modelId"),
    NVR_FIELD(SearchResultEntry, netmask, "netmask"),
    NVR_FIELD(SearchResultEntry, dns, "dns"),
    NVR_FIELD(SearchResultEntry, gateway, "gateway"),
    NVR_FIELD(SearchResultEntry, netif, "netif"),
    NVR_FIELD(SearchResultEntry, active_status, "active_status"),
    NVR_FIELD(SearchResultEntry, name, "name"),
    NVR_FIELD(SearchResultEntry, snReal, "snReal"),
};

// "id", "enable" and "name" lead each entry of the answer and come from the handler
// (the name from the store), so "id" has no key here.
constexpr FieldDesc kChannelListFields[] = {
    NVR_FIELD(ChannelListEntry, id, nullptr),
    NVR_FIELD(ChannelListEntry, ipAddr, "ipAddr"),
    NVR_FIELD(ChannelListEntry, managePort, "managePort"),
    NVR_FIELD(ChannelListEntry, camProtocol, "camProtocol"),
    NVR_FIELD(ChannelListEntry, vendor, "vendor"),
    NVR_FIELD(ChannelListEntry, sn, "sn"),
    NVR_FIELD(ChannelListEntry, snReal, "snReal"),
    NVR_FIELD(ChannelListEntry, mac, "mac"),
    NVR_FIELD(ChannelListEntry, model, "model"),
    NVR_FIELD(ChannelListEntry, fwVersion, "fwVersion"),
    NVR_FIELD(ChannelListEntry, state, "state"),
    NVR_FIELD(ChannelListEntry, mainRtspPort, "mainRtspPort"),
    NVR_FIELD(ChannelListEntry, physicalport, "physicalport"),
    NVR_FIELD(ChannelListEntry, poechannel, "poechannel"),
    NVR_FIELD(ChannelListEntry, alarmin, "alarmin"),
    NVR_FIELD(ChannelListEntry, alarmout, "alarmout"),
    NVR_FIELD(ChannelListEntry, whiteLed, "whiteLed"),
    NVR_FIELD(ChannelListEntry, ledAlarm, "ledAlarm"),
    NVR_FIELD(ChannelListEntry, ledManual, "ledManual"),
    NVR_FIELD(ChannelListEntry, minorid, "minorid"),
    NVR_FIELD(ChannelListEntry, subState, "subState"),
    NVR_FIELD(ChannelListEntry, connectState, "connectState"),
    NVR_FIELD(ChannelListEntry, ddns, "ddns"),
    NVR_FIELD(ChannelListEntry, chipinfo, "chipinfo"),
};

constexpr FieldDesc kChannelModelFields[] = {
    NVR_FIELD(ChannelModelEntry, chnid, "chnid"),
    NVR_FIELD(ChannelModelEntry, ipaddr, "ipaddr"),
    NVR_FIELD(ChannelModelEntry, model, "model"),
    NVR_FIELD(ChannelModelEntry, fwversion, "fwversion"),
};

constexpr FieldDesc kBatchResultFields[] = {
    NVR_FIELD(BatchResultEntry, mac, "mac"),
    NVR_FIELD(BatchResultEntry, result, "result"),
};

}  // namespace

constexpr RecordKind kLoginTestKind =
    wire_kind("login_test", sizeof(LoginTestRequest), kLoginTestFields);
constexpr RecordKind kWebLoginTestKind =
    wire_kind("web_login_test", sizeof(WebLoginTestRequest), kWebLoginTestFields);
constexpr RecordKind kNetworkChangeKind =
    wire_kind("network_change", sizeof(NetworkChangeRequest), kNetworkChangeFields);
constexpr RecordKind kNetworkBatchKind =
    wire_kind("network_batch", sizeof(NetworkBatchRequest), kNetworkBatchFields);
constexpr RecordKind kSearchResultKind =
    wire_kind("search_result", sizeof(SearchResultEntry), kSearchResultFields);
constexpr RecordKind kChannelListKind =
    wire_kind("channel_list", sizeof(ChannelListEntry), kChannelListFields);
constexpr RecordKind kChannelModelKind =
    wire_kind("channel_model", sizeof(ChannelModelEntry), kChannelModelFields);
constexpr RecordKind kBatchResultKind =
    wire_kind("batch_result", sizeof(BatchResultEntry), kBatchResultFields);

static_assert(record_kind_is_valid(kLoginTestKind) && record_kind_is_valid(kWebLoginTestKind) &&
              record_kind_is_valid(kNetworkChangeKind) && record_kind_is_valid(kNetworkBatchKind) &&
              record_kind_is_valid(kSearchResultKind) && record_kind_is_valid(kChannelListKind) &&
              record_kind_is_valid(kChannelModelKind) && record_kind_is_valid(kBatchResultKind));
