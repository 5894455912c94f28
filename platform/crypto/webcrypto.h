// The encryption library's calls as webcgi uses them (package decryption, Base64 of uploads
// and of audio file names) and the MD5 of the account tools, all on OpenSSL's libcrypto.
//
// libcrypto is opened on the first call, not linked: webcgi starts once per request and
// almost no request decrypts, so the dynamic linker must not map and relocate it for every
// one. A call made when the library cannot be opened fails (-1 or an empty text) and says
// why on standard error.
//
// The package cipher (aesDecryWeb): AES-256 in CBC mode with PKCS#7 padding, the key the
// key text's bytes padded with NUL bytes to 32, the IV 16 NUL bytes. A package is made with
//   openssl enc -aes-256-cbc -base64 -K <key text in hex, padded to 64 digits> -iv 0 -in x.zip
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Decrypts `length` bytes of `in` with the key text (at most its first 32 characters) into
// `out`, which must hold `length` bytes (the plain text is never longer than the cipher
// text). The plain length, or -1 for a wrong key, bad padding, a length that is no whole
// number of blocks, or no library.
int aesDecryWeb(const unsigned char* in, const char* key, unsigned char* out, int length);

// Decodes standard Base64 (line breaks and other white space allowed, "=" padding) into
// `out` of `out_size` bytes. The decoded length, or -1 for a text that is not Base64 or
// does not fit. Decoding needs at most in_len * 3 / 4 bytes.
int dv_base64_decode(const char* in, int in_len, unsigned char* out, int out_size);

// URL-safe Base64 ("-" and "_" for "+" and "/", no "=" padding) of `len` bytes into `out`
// of `out_size` bytes, NUL-terminated. The text's length, or -1 when it does not fit.
int base64EncodeUrl(const unsigned char* in, int len, char* out, int out_size);
// The reverse, "=" padding accepted; the decoded length, or -1 for a text that is not
// URL-safe Base64 or does not fit `out_size` bytes. `out` is not NUL-terminated.
int base64DecodeUrl(const char* in, unsigned char* out, int out_size);

// The MD5 digest of `data` as 32 lowercase hexadecimal characters; "" without the library.
std::string md5_hex(std::string_view data);
