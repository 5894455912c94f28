// Process-wide utilities of webcgi: the shell runner, the advisory file lock, file
// tests, text replacement and the debug log.
//
// Implemented in front/cgi_utils.cpp.
#pragma once

#include <cstddef>

// Runs `command` through /bin/sh and waits: 0 when the shell exited with 0, -1 when it
// could not start, was killed by a signal or exited non-zero. The command is kept inside
// NVR_ROOT (see nvr_shell.h). Never pass request text into `command` unchecked.
int web_system(const char* command);

// Opens (creating) `path` and takes a blocking exclusive whole-file lock; returns the
// descriptor, or -1 for a null path or a file that cannot be opened.
int file_lock(const char* path);
// Releases and closes; a negative descriptor is returned unchanged.
int file_unlock(int fd);

int IsFileExisted(const char* path);               // 0 exists, -1 otherwise
int IsDirExisted(const char* path);                // 0 is a directory (final link not followed)
int DeleteFile(const char* path);                  // -1 for null, else 0
int RemoveFile(const char* from, const char* to);  // -1 when either is null, else 0

// Moves a file: rename(2), or a copy and unlink when the two lie on different file
// systems. Returns false when nothing was moved.
[[nodiscard]] bool move_file(const char* from, const char* to);

// Copies src to dst replacing every `find` by `replace`, left to right, without
// re-scanning replaced text. dst must be large enough.
char* strrpl(char* dst, const char* src, const char* find, const char* replace);

// Appends one line to the debug log; 0, or -1 when the log cannot be opened.
int cgi_log(const char* unit, int line, const char* function, const char* format, ...)
    __attribute__((format(printf, 4, 5)));

// ---- Programs run with an argument list --------------------------------------------------

// Runs argv[0] (a bare program name, see nvr_program_path) with the arguments argv[1..]
// exactly as given, no shell in between, and waits: 0 when it exited with 0, -1 otherwise.
// Arguments that are system paths must be resolved (nvr_path) by the caller.
int web_exec(const char* const* argv);

// Runs `command` as web_system does and copies at most size-1 bytes of its standard output
// into `out` (NUL-terminated); the rest is read and dropped so the command never blocks.
// The number of bytes kept, or -1 (and an empty `out`) when the command could not start
// or did not exit with 0.
int web_read_command(const char* command, char* out, std::size_t size);
