// coresim's answers for the system module (login, accounts, maintenance).
#include <cstdint>
#include <vector>

#include "modules.h"

namespace {

// 8400: a 32-channel recorder with two network ports, two monitor outputs and talk-back.
// Offsets are those of the 592-byte system information record.
std::vector<std::uint8_t> system_info(std::span<const std::uint8_t>) {
  std::vector<std::uint8_t> out;
  const std::int32_t head[] = {255, 32, 0, 0, 16, 4, 0, 1, 2, 0, 0, 1, 0, 2, 0, 0, 0, 1};
  for (std::int32_t v : head) put_i32(out, v);  // 0 to 71: device id .. dvddns
  put_text(out, "NV32A2K2406001234", 65);       // 72: serial number
  put_text(out, "NVR", 16);                     // 137: prefix
  put_text(out, "NVR-32", 32);                  // 153: device name
  put_text(out, "V8.2.0.1 build 241120", 32);   // 185: software
  put_text(out, "V1.1", 192);                   // 217: hardware version
  put_text(out, "00:1a:2b:3c:4d:5e", 43);       // 409: MAC address
  put_i32(out, 1);                              // 452: talk-back
  out.resize(592, 0);
  return out;
}

// 8528: the package made (status 0) and its path in the folder the request named.
std::vector<std::uint8_t> diagnosis(std::span<const std::uint8_t>) {
  std::vector<std::uint8_t> out;
  put_i32(out, 0);
  put_i32(out, 0);
  put_text(out, "/tmp/diagnosis_NV32A2K2406001234.tar.gz", 64);
  return out;
}

// 9012: the ten audio file slots, two in use. Names are the URL-safe Base64 of
// "Door chime.wav" and "Siren.wav".
std::vector<std::uint8_t> audio_files(std::span<const std::uint8_t>) {
  std::vector<std::uint8_t> out;
  const char* names[10] = {"RG9vciBjaGltZS53YXY", "U2lyZW4ud2F2"};
  for (std::int32_t id = 0; id < 10; ++id) {
    put_i32(out, id);
    put_i32(out, names[id] != nullptr ? 1 : 0);
    put_text(out, names[id] != nullptr ? names[id] : "", 128);
  }
  return out;
}

constexpr NamedBuilder kBuilders[] = {
    {"system_info", system_info, "8400: a 32-channel recorder's system information"},
    {"diagnosis", diagnosis, "8528: a diagnosis package made in /tmp"},
    {"audio_files", audio_files, "9012: ten alarm audio file slots, two in use"},
};

}  // namespace

extern const CoreModule kCoreSystem = {"system",
                                       R"(# Mail-link login check: 0 = the link is valid.
3504 builder=status_ok
# PoE camera password: 0 = every PoE camera took it.
3265 builder=status_ok
# System information.
3400 builder=system_info
# Notices: accounts changed, PoE notice, restore and its follow-up, restart, device id,
# network setting changed, display resolution, display apply, audio output, sub output,
# automatic reboot, maintenance.
3505 silent
3267 silent
3311 silent
3410 silent
1703 silent
1705 silent
1702 silent
1001 silent
1015 silent
1002 silent
1023 silent
1718 silent
2102 silent
# Diagnosis package.
3528 builder=diagnosis
# Alarm audio files: the list, then add, delete, rename and play, each accepted.
4012 builder=audio_files
4013 builder=status_ok
4014 builder=status_ok
4015 builder=status_ok
4016 builder=status_ok
# Notices: interface language by number, access filter changed, UPnP record.
4000 silent
1722 silent
3720 silent
)",
                                       kBuilders};
