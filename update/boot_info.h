// What the command line prints about the installed system: the versions of the
// partitions (--version) and the whole boot information (--show), read from the boot
// environment, which must be loaded.
#pragma once

// "Dravelin update version: 0.1.0.1", then each partition record with a version: its
// label, version, size in KiB and date.
void print_version_info();

// The partition records with a size (size also in hexadecimal), the flash partitions of
// "/proc/mtd" and every environment variable.
void display_info();
