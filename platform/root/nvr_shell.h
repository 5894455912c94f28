// Shell commands of the programs, kept inside NVR_ROOT off the board.
//
// Callers pass a command as the board runs it: "/usr/sbin/flash_eraseall /dev/mtd3",
// "reboot", "cat /proc/mtd | grep fs2", "/bin/rm \"/mnt/nand/x\"". On the board it goes
// to /bin/sh as it stands. Under a root (see nvr_root.h) it is rewritten so that it acts
// on the root only, and is otherwise copied as it stands:
// - every word that is an absolute path -- program, argument or redirection target -- is
//   moved under the root, unless it lies there already (callers may pass paths they
//   resolved with nvr_path);
// - a program named by its bare name is taken from the root's usr/sbin, sbin, usr/bin or
//   bin; one the root lacks is not found (status 127), so the host's "reboot" can never
//   run;
// - except the host tools, named bare or in /bin, /usr/bin, /sbin or /usr/sbin, and what
//   the shell runs itself (exit, echo, test, cd, ...): the host tools are plain file
//   tools (cat, cp, mv, rm, tar, ...) that act only on the paths given to them, and those
//   paths are kept inside the root by the rule above. The shell's PATH is their folders,
//   /usr/bin:/bin, and nothing else.
// A moved word gets the root in front of it, quoted when the root holds characters the
// shell would interpret. Quotes, escapes, comments and here-documents are understood. A
// word whose value comes from an expansion ($x, $(...), `...`) is moved only when its
// literal beginning is an absolute path, and a program named through an expansion is not
// resolved: never build a command from text that is not ours.
#pragma once

#include <sys/types.h>

#include <span>
#include <string>
#include <string_view>

// The command line that /bin/sh receives for `command` on this machine.
std::string nvr_shell_command(std::string_view command);

// Starts /bin/sh -c with the rewritten command, its standard output on `out_fd` (inherited
// when -1), in the caller's environment less the variables named in `drop_env` and, under
// a root, with PATH=/usr/bin:/bin. Standard streams are flushed first, so that what the
// caller wrote comes before the command's output. The child's pid, or -1.
pid_t nvr_shell_spawn(const char* command, int out_fd,
                      std::span<const std::string_view> drop_env = {});

// Waits for a child; its wait status, or -1.
int nvr_shell_wait(pid_t pid);

// nvr_shell_spawn and nvr_shell_wait: the wait status as system(3) gives it, or -1 when no
// shell could be started.
int nvr_shell_run(const char* command, std::span<const std::string_view> drop_env = {});

// ---- Programs run without a shell -----------------------------------------------------------

// The file that runs for a program named by its bare name: under a root the first of the
// root's usr/sbin, sbin, usr/bin and bin that holds it as an executable regular file (a
// path that cannot exist when none does); on the board the name itself, for a PATH search.
std::string nvr_program_path(std::string_view name);
