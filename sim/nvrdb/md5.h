// MD5 (RFC 1321), for the account password hashes that the web pages send and the store
// keeps as 32 lowercase hexadecimal characters.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The 16-byte digest of `data`.
void md5_digest(std::string_view data, uint8_t out[16]);
// The digest as 32 lowercase hexadecimal characters.
std::string md5_hex(std::string_view data);
