// The update run and the switch between the two system copies.
//
// The recorder keeps two kernels ("ker1", "ker2") and two root filesystems ("fs1", "fs2").
// "bootcmd" names the kernel the boot loader loads and "bootargs" the filesystem the
// kernel mounts. An install writes the image's kernel and filesystem into the copies that
// are not running, rewrites the boot loader, base parameters and logo in place when the
// image carries another version of them for this board, and only then names the new
// copies in both variables with one environment write: that write is the commit point, so
// a failed or interrupted install leaves the old pair bootable.
#pragma once

// Results of UPFW_run_update.
inline constexpr int kUpdateDone = 0;
inline constexpr int kUpdateFailed = -1;
inline constexpr int kUpdateVerifyFailed = -2;
inline constexpr int kUpdateBootTableFailed = -4;  // environment, devices or boot copies
inline constexpr int kUpdateBootLoaderFailed = -5;
inline constexpr int kUpdateKernelFailed = -8;
inline constexpr int kUpdateFilesysFailed = -9;
// The version policy refused the image (main's result, never UPFW_run_update's).
inline constexpr int kFirmwareMismatch = -14;

// The line the result file carries for a result of UPFW_run_update, without its newline.
const char* update_result_text(int result);

// Installs the image at `path` (used as given). The environment must be loaded. 0, or one
// of the negative results above after a message; nothing is written before the image has
// been verified, and the boot variables change only after every selected record is on
// flash. -4 also refuses an install whose target filesystem is the one the running kernel
// mounted ("/proc/cmdline"): after an install or a switch without the reboot that follows
// it, the copies the environment does not name may be the running ones.
int UPFW_run_update(const char* path);

// Chooses the copies of the next boot: 1 or 2 selects both, 0 toggles the kernel digit of
// "bootcmd" and the filesystem digit of "bootargs" each on its own. A "bootargs" without a
// filesystem copy is replaced by the board's default command line first. Both variables go
// in one environment write. 0, or -1 after a message (nothing written) when the table
// cannot be read, a digit is not 1 or 2 or `n` is above 2; else the write's result.
int set_env_boot(unsigned long n);

// The manual switch: set_env_boot(n), then, when that succeeded, waits 3 seconds and runs
// "reboot". -1 after a message for `n` above 2 or a failed set_env_boot (no reboot then);
// else 0 when the reboot command returned success (on the board it does not return).
int set_switch_filesys(unsigned long n);
