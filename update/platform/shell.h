// Programs update runs through the shell: "/usr/sbin/flash_eraseall", "reboot",
// "dvchip_update", "sync", "cat /proc/mtd | grep ...", "echo 3 > /proc/sys/vm/drop_caches".
//
// Callers pass the command as the board runs it. On the board it goes to /bin/sh as it
// stands. Under NVR_ROOT (the emulation) the command is rewritten so that it acts on the
// root only: every word that is an absolute path, including a redirection target, is
// moved under the root; a program named by its bare name is taken from the root's
// usr/sbin, sbin, usr/bin or bin, except the plain host tools (cat, grep, echo, sync,
// ...) that act only on the paths given to them. A program the root lacks is not found
// (status 127), so the host's "reboot" can never run. Words are separated by blanks
// (a word may end in ";"); quoting is not interpreted (the tool's commands have none).
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

// The command line that /bin/sh receives for `command` on this machine.
std::string upd_shell_command(std::string_view command);

// Runs the command and waits; the wait status as system(3) gives it, or -1 when no
// shell could be started.
int upd_system(const char* command);

// Starts the command with its standard output readable from the result; nullptr when
// it cannot be started. Finish with upd_pclose, which returns the wait status.
FILE* upd_popen(const char* command);
int upd_pclose(FILE* stream);
