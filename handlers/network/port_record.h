// The recorder's service port record (store kind "port", one record): the SSH switch and
// the ports of its services. The network pages show and change it; the aging tools switch
// SSH through it.
#pragma once

#include <cstdint>
#include <cstring>
#include <type_traits>

#include "field_table.h"
#include "kind_store.h"

struct PortRecord {
  int32_t enableSsh;  // 0 or 1
  int32_t sshPort;
  int32_t httpPort;
  int32_t rtspPort;
  int32_t httpsPort;
  int32_t servicePort;
};
static_assert(sizeof(PortRecord) == 24);
static_assert(std::is_trivially_copyable_v<PortRecord>);

inline constexpr FieldDesc kPortFields[] = {
    NVR_FIELD(PortRecord, enableSsh, "enableSsh").range(0, 1),
    NVR_FIELD(PortRecord, sshPort, "sshPort").range(0, 65535),
    NVR_FIELD(PortRecord, httpPort, "httpPort").range(0, 65535),
    NVR_FIELD(PortRecord, rtspPort, "rtspPort").range(0, 65535),
    NVR_FIELD(PortRecord, httpsPort, "httpsPort").range(0, 65535),
    NVR_FIELD(PortRecord, servicePort, "servicePort").range(0, 65535),
};

// A recorder never configured serves on the usual ports with SSH off: a record read and
// written back before the network pages ever saved one must not move the web server to
// port 0.
inline void port_defaults(void* record, RecordKey /*key*/) {
  const PortRecord port{0, 22, 80, 554, 443, 8000};
  std::memcpy(record, &port, sizeof port);
}

// One record: the store keeps it in slot 0 of its table.
inline constexpr RecordKind kPortKind{.name = "port",
                                      NVR_KIND_FIELDS(PortRecord, kPortFields),
                                      .key = {"slot", 0, 0},
                                      .defaults = port_defaults};
static_assert(record_kind_is_valid(kPortKind));
NVR_STORE_KIND(PortRecord, kPortKind);
