// The two hardware identifications update reads from the board itself: the Ethernet
// PHY's identifier (through the SoC's MDIO controller in physical memory, "/dev/mem")
// and the PoE controller's identification byte (over I2C, "/dev/hi_i2c").
//
// Under NVR_ROOT both come from the emulation's board settings
// ("<root>/flashsim/board.conf", keys phy_id and poe_id); the host's "/dev/mem" and
// I2C nodes are never opened. Only a build for the board (CMake option NVR_BOARD) opens
// the real nodes; any other build without NVR_ROOT reads nothing (-1 and 0).
#pragma once

// The PHY's first identifier register (PHY address 4, register 2): the identifier;
// -1 when the controller cannot be reached; 0 when the read failed or timed out.
int hw_read_phy_id();

// The PoE controller's identification byte (bus 2, device 0x40, register 0x43); 0 when
// nothing could be read.
int hw_read_poe_id();
