// The version policy: whether an image may go onto this board at all. It compares the
// image's root filesystem version with the running one and the image's boot loader
// platform with the installed boot loader, and weighs the vendor-customised (OEM) state
// of the device and three hardware identifications: the Ethernet PHY, the PoE controller
// and the board model.
#pragma once

#include <string>

#include "boot_records.h"

// Markers of the device's customisation, and the marker an upgrade from major version 7
// or lower to 8 or higher leaves for the rest of the system (this tool never reads it).
inline constexpr char kOemMarker[] = "/mnt/nand2/oem.db";
inline constexpr char kSpecialOemMarker[] = "/opt/app/bin/special_oem.cfg";
inline constexpr char kUpgradeMarker[] = "/mnt/nand/updb.cfg";

// The PHY identifier of the board's Ethernet PHY; -1 when the MDIO controller cannot be
// reached, 0 when the read failed.
int read_phy_id();
// The PoE controller's identification byte; 0 when nothing could be read.
int get_poe_id();
// 1 when the first line the board model tool "dvchip_update" prints (at most 63
// characters) contains "KRT4420"; 0 otherwise, also when the tool cannot be started.
int query_board_model();

// What the rules look at.
struct PolicyFacts {
  unsigned n = 0, nm = 0, nb = 0;  // major, minor, build of the image's filesystem record
  unsigned r = 0;                  // major of the running filesystem's partition record
  bool oem = false;                // kOemMarker exists
  bool special = false;            // kSpecialOemMarker exists
  int phy = 0;                     // read_phy_id()
  int poe = 0;                     // get_poe_id()
  bool model = false;              // the board is model KRT4420 with a 1024 MiB boot loader
};

struct PolicyDecision {
  int rule = 0;                // 1 to 9: the first rule whose condition held
  std::string refusal;         // empty when the image is allowed; else the line to print
  bool create_marker = false;  // allowed upgrade that leaves kUpgradeMarker
};

// Applies the nine rules in order; the first whose condition holds decides.
PolicyDecision decide_version_policy(const PolicyFacts& facts);

// Checks the image at `path` against the installed system that `records` describes.
// Reads only the image's header. 0 allows the image; -1 refuses it (or the image could
// not be read), after a message; -4 when the partition table cannot be read. An allowed
// upgrade from major 7 or lower to 8 or higher on a board that needs no OEM exception
// creates kUpgradeMarker.
int UPFW_version_check(const char* path, const BootRecords& records);
