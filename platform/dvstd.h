// The key/value parameters of the settings store ("max_cameras", "failover_mode",
// "software_version", ...), kept in the table "params" of the same databases as the
// records (see dvdb.h for store paths, transactions and NVR_ROOT).
//
// A parameter holds an integer or a text; either form reads as the other: an integer
// reads as its decimal text, and a text that is a whole decimal integer reads as that
// integer. Keys are texts of 1 to 255 bytes.
//
// Pattern for a text parameter: check_param_key(); when it reports the key missing,
// add_param_value(), otherwise set_param_value().
#pragma once

// The stored integer, or `default_value` when the key is missing, its text is not a
// whole decimal integer, or the store cannot be read.
int get_param_int(const char* store, const char* key, int default_value);

// Stores the integer (creating the key when missing). 0, or -1 on failure.
int set_param_int(const char* store, const char* key, int value);

// Copies the stored text into `buffer`, or `default_value` when the key is missing or
// the store cannot be read, cut to size-1 bytes and NUL-terminated. Returns 0 when the
// stored text was copied, -1 when the default was (or nothing could be: null buffer or
// size below 1).
int get_param_value(const char* store, const char* key, char* buffer, int size,
                    const char* default_value);

// 0 when the key exists; 1 when it does not; -1 when the store cannot be read.
int check_param_key(const char* store, const char* key);

// Replaces the text of an existing key. -1 (and nothing stored) when the key does not
// exist or on failure.
int set_param_value(const char* store, const char* key, const char* text);

// Creates a key with this text. When another process created the key in the meantime,
// its text is replaced, so that the check-then-add pattern never loses a value. 0, or
// -1 on failure.
int add_param_value(const char* store, const char* key, const char* text);

// 1 when the recorder has an IPv6 address of global scope on an interface other than the
// loopback, else 0 (also when the kernel's address list, "/proc/net/if_inet6" under
// NVR_ROOT, cannot be read).
int net_is_haveipv6();

// ---- URL encoding (platform/dvurl.cpp) --------------------------------------------------------

// Decodes "%XX" escapes and "+" (a space) in place; a "%" not followed by two hexadecimal
// digits stays as it is. Returns the new length, or -1 for a null text.
int get_url_decode(char* text);
// Encodes every byte other than letters, digits and "-_.~/" as "%XX" into `out` of `size`
// bytes (NUL-terminated, cut before an escape that would not fit). The length written, or -1
// for a null argument or a size below 1.
int get_url_encode(const char* text, char* out, int size);
