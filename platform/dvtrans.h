// The translation and log-text library as webcgi uses it: the texts of numeric log codes
// in the page's language, and the little facts about log records that go with them.
//
// Language files live under the root at "/opt/app/lang/<language>.lang", one text per
// line as "<code>=<text>" ('#' starts a comment line). The language name is part of that
// path, so only letters, digits, "_" and "-" (1 to 31 of them) are accepted.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr std::size_t kTransTextMax = 127;  // characters of one text
inline constexpr std::size_t kLanguageNameMax = 31;

// True for a language name that may name a language file.
[[nodiscard]] bool trans_language_ok(const char* language);

// Selects the language: reads its file. 0, or -1 (no language selected, the reason on
// standard error) for a refused name or a file that cannot be read.
int trans_init(const char* language);
// The text of `code` in the selected language, cut to size-1 (at most 127) characters.
// 0, or -1 with an empty text when no language is selected or the code has no text.
int trans_get_value(int code, char* buffer, int size);
// Releases the selected language.
void trans_deinit();

// True when the channel number of a log record of this main and sub type names a disk
// rather than a camera: the disk exceptions (main type 32, sub types 400 to 403) and the
// disk information records (main type 8, sub types 511 to 514).
[[nodiscard]] bool log_channo_is_disk(int main_type, int64_t sub_type);

// The recorder's MAC address text from "/etc/mac.conf" under the root (its first line, cut
// to 63 characters, only hex digits, ':' and '-' kept). 0, or -1 with an empty text.
int read_mac_conf(char* buffer, std::size_t size = 64);
