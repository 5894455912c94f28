// The network record (store kind "network", one record): how the two Ethernet ports are
// addressed, the host name and the default route. The MAC addresses the pages show are read
// from the interfaces and not stored. The system pages keep the host name here too.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "field_table.h"
#include "kind_store.h"

struct NetworkRecord {
  int32_t mode;  // 0: two interfaces; 1, 2: bonded "bond0" (2 also uses primary_net)
  char host_name[128];
  int32_t primary_net;
  int32_t enable_network1;
  int32_t enable_network2;
  int32_t network_type;  // address assignment of each port
  int32_t network_type2;
  char ip_addr[16];
  char netmask[16];
  char gateway[16];
  char dns1[16];
  char dns2[16];
  char ip_addr2[16];
  char netmask2[16];
  char gateway2[16];
  char dns12[16];
  char dns22[16];
  int32_t mtu;
  int32_t mtu2;
  int32_t ip6_network_type;  // 2: the IPv6 gateway is not taken from a request
  int32_t ip6_network_type2;
  char ip6_addr[64];
  char ip6_addr2[64];
  char ip6_netmask[16];
  char ip6_netmask2[16];
  char ip6_gateway[64];
  char ip6_gateway2[64];
  int32_t default_route;  // the interface of the default route
};
static_assert(sizeof(NetworkRecord) == 620);
static_assert(offsetof(NetworkRecord, host_name) == 4);
static_assert(offsetof(NetworkRecord, ip_addr) == 152);
static_assert(offsetof(NetworkRecord, mtu) == 312);
static_assert(offsetof(NetworkRecord, ip6_addr) == 328);
static_assert(offsetof(NetworkRecord, default_route) == 616);
static_assert(std::is_trivially_copyable_v<NetworkRecord>);

inline constexpr FieldDesc kNetworkFields[] = {
    NVR_FIELD(NetworkRecord, mode, "mode").range(0, 2),
    NVR_FIELD(NetworkRecord, host_name, "hostName"),
    NVR_FIELD(NetworkRecord, primary_net, "primaryNet"),
    NVR_FIELD(NetworkRecord, enable_network1, "enableNetwork1").range(0, 1),
    NVR_FIELD(NetworkRecord, enable_network2, "enableNetwork2").range(0, 1),
    NVR_FIELD(NetworkRecord, network_type, "networkType").range(0, 1),
    NVR_FIELD(NetworkRecord, network_type2, "networkType2").range(0, 1),
    NVR_FIELD(NetworkRecord, ip_addr, "ipAddr"),
    NVR_FIELD(NetworkRecord, netmask, "netmask"),
    NVR_FIELD(NetworkRecord, gateway, "gateway"),
    NVR_FIELD(NetworkRecord, dns1, "DNS1"),
    NVR_FIELD(NetworkRecord, dns2, "DNS2"),
    NVR_FIELD(NetworkRecord, ip_addr2, "ipAddr2"),
    NVR_FIELD(NetworkRecord, netmask2, "netmask2"),
    NVR_FIELD(NetworkRecord, gateway2, "gateway2"),
    NVR_FIELD(NetworkRecord, dns12, "DNS12"),
    NVR_FIELD(NetworkRecord, dns22, "DNS22"),
    NVR_FIELD(NetworkRecord, mtu, "mtu"),
    NVR_FIELD(NetworkRecord, mtu2, "mtu2"),
    NVR_FIELD(NetworkRecord, ip6_network_type, "ip6networkType"),
    NVR_FIELD(NetworkRecord, ip6_network_type2, "ip6networkType2"),
    NVR_FIELD(NetworkRecord, ip6_addr, "ip6Addr"),
    NVR_FIELD(NetworkRecord, ip6_addr2, "ip6Addr2"),
    NVR_FIELD(NetworkRecord, ip6_netmask, "ip6netmask"),
    NVR_FIELD(NetworkRecord, ip6_netmask2, "ip6netmask2"),
    NVR_FIELD(NetworkRecord, ip6_gateway, "ip6gateway"),
    NVR_FIELD(NetworkRecord, ip6_gateway2, "ip6gateway2"),
    NVR_FIELD(NetworkRecord, default_route, "defaultRoute"),
};

// One record: the key column is not a field, and its only value is 0.
inline constexpr RecordKind kNetworkKind{
    .name = "network", NVR_KIND_FIELDS(NetworkRecord, kNetworkFields), .key = {"id", 0, 0}};
static_assert(record_kind_is_valid(kNetworkKind));
NVR_STORE_KIND(NetworkRecord, kNetworkKind);
