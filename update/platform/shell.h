// Programs update runs through the shell: "/usr/sbin/flash_eraseall", "reboot",
// "dvchip_update", "sync", "cat /proc/mtd | grep ...", "echo 3 > /proc/sys/vm/drop_caches".
//
// Callers pass the command as the board runs it. On the board it goes to /bin/sh as it
// stands; under NVR_ROOT (the emulation) it is kept inside the root by the rule of
// nvr_shell.h, so that the host's "reboot" can never run.
#pragma once

#include <cstdio>

// Runs the command and waits; the wait status as system(3) gives it, or -1 when no
// shell could be started.
int upd_system(const char* command);

// Starts the command with its standard output readable from the result; nullptr when
// it cannot be started. Finish with upd_pclose, which returns the wait status.
FILE* upd_popen(const char* command);
int upd_pclose(FILE* stream);
