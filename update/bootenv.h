// The boot loader's redundant environment on "/dev/mtd1": two 64 KiB copies, at 0 and at
// 0x10000, each a whole block as env_block.h lays it out. The boot loader boots from the
// copy env_choose_copy() names; so does this store.
//
// env_init() reads both copies once and keeps the chosen one in memory; every change is
// written to flash at once, first into the other copy, which is read back before the
// chosen copy is rewritten as well. At any moment at least one copy on flash therefore
// holds either the old or the new variables whole, whatever instant the power fails,
// and a normal write leaves both valid with the chosen copy one generation ahead.
//
// Several variables that belong together (the kernel and filesystem copies to boot) go in
// one write with hs_setenv_batch(): the boot loader sees all of them changed or none.
//
// Results are 0 / -1 as each function says; messages go to standard error (listings to
// standard output). One process at a time is assumed: nothing locks the device.
#pragma once

#include <optional>
#include <span>
#include <string>

#include "env_block.h"

// Loads the environment (again, when loaded already): 0, or -1 when the device is missing,
// neither copy can be read, or the two copies lie on different flash types. A copy that
// cannot be read counts as one with a bad checksum; with neither valid the boot loader's
// built-in environment is used (and written at the next change).
int env_init();
// Releases the environment: 0.
int env_deinit();

// The value of `name`, or nullopt when it is absent, the environment is not loaded or its
// list is not terminated (which prints a message).
std::optional<std::string> hs_getenv(const char* name);

// Sets `name` to `value` (an empty value is stored as "name=") and writes the environment
// to flash: 0 or -1. On -1 for a name holding '=', an unterminated list, or too little
// room (the old value's room counts), the environment in memory is left as it was and
// nothing is written; when the flash write fails the change stays in memory.
int hs_setenv(const char* name, const char* value);

// Applies the changes in order (EnvChange without a value removes the variable) and
// writes the environment once: 0 or -1, with the rules of hs_setenv for the whole batch.
int hs_setenv_batch(std::span<const EnvChange> changes);

// Prints every variable on a line of its own: 0, or -1 when not loaded or not terminated.
int hs_printenv();

// Command-style entry points: each loads the environment first (env_init). `argv[0]` is the
// command's own name, as in main(), and the names and words follow it.
// The value of `name`, or nullopt (also when the environment cannot be loaded).
std::optional<std::string> fw_getenv(const char* name);
// No names: every variable. Names: "name=value" each; "-n NAME": the value alone. -1 when
// a name is not defined (the others are still printed) or "-n" has not exactly one name.
int fw_printenv(int argc, char** argv);
// "NAME [WORD]...": sets NAME to the words joined by single blanks, or removes it when no
// word follows, and writes the environment. -1 (errno EINVAL) without a name, -1 (errno
// EROFS) for an existing "serial#", -1 when the change does not fit or cannot be written.
int fw_setenv(int argc, char** argv);

// The same store under the names other programs of the board link against.
int dv_env_init();
int dv_env_deinit();
std::optional<std::string> dv_getenv(const char* name);
int dv_setenv(const char* name, const char* value);

// Boot state after an update: a non-zero `state` turns "bootState" from "None" to "Done",
// 0 turns it from "Done" to "None"; anything else writes nothing. 0, or the result of the
// write.
int set_boot_state(unsigned long state);

// The boot variables the command line sets, stored unchanged: result of hs_setenv.
int set_ptb_sn(const char* text);            // "sn"
int set_ptb_cmdline(const char* text);       // "bootargs"
int set_ptb_pri_file(const char* text);      // "bootfile"
int set_ptb_tftpd_ip(const char* text);      // "serverip"
int set_ptb_eth_mac(const char* text);       // "ethaddr"
int set_ptb_eth_ip(const char* text);        // "ipaddr"
int set_ptb_eth_netmask(const char* text);   // "netmask"
int set_ptb_eth_gateway(const char* text);   // "gateway"
int set_ptb_wifi_mac(const char* text);      // "wifimac"
int set_ptb_wifi_ip(const char* text);       // "wifiip"
int set_ptb_wifi_netmask(const char* text);  // "wifinm"
int set_ptb_wifi_gateway(const char* text);  // "wifigw"
// "bootdelay": the decimal text of the low 8 bits of `delay`.
int set_ptb_bootdelay(unsigned long delay);
// Settings the boot loader of this board has no variable for: they change nothing and
// succeed (0).
int set_ptb_autoboot(unsigned long value);
int set_ptb_autodownload(unsigned long value);
int set_ptb_pri_addr(unsigned long value);
