// The encryption library's calls on libcrypto, opened with dlopen on first use (why: see
// webcrypto.h). The OpenSSL headers give the signatures; the symbols come from dlsym.
#include "webcrypto.h"

#include <dlfcn.h>
#include <openssl/evp.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <vector>

namespace {

// The libcrypto calls used here, resolved together: either all of them or none.
struct Crypto {
  decltype(&EVP_CIPHER_CTX_new) cipher_ctx_new;
  decltype(&EVP_CIPHER_CTX_free) cipher_ctx_free;
  decltype(&EVP_aes_256_cbc) aes_256_cbc;
  decltype(&EVP_DecryptInit_ex) decrypt_init;
  decltype(&EVP_DecryptUpdate) decrypt_update;
  decltype(&EVP_DecryptFinal_ex) decrypt_final;
  decltype(&EVP_EncodeBlock) encode_block;
  decltype(&EVP_DecodeBlock) decode_block;
  decltype(&EVP_Digest) digest;
  decltype(&EVP_md5) md5;
};

template <class F>
bool resolve(void* lib, const char* name, F* out) {
  *out = reinterpret_cast<F>(dlsym(lib, name));
  if (*out == nullptr)
    std::fprintf(stderr, "crypto: %s missing in %s\n", name, NVR_LIBCRYPTO_SONAME);
  return *out != nullptr;
}

// The library, or null (and the reason on standard error) when it cannot be opened.
const Crypto* crypto() {
  static Crypto calls{};
  static bool ready = false;
  static std::once_flag once;
  std::call_once(once, [] {
    void* lib = dlopen(NVR_LIBCRYPTO_SONAME, RTLD_NOW | RTLD_LOCAL);
    if (lib == nullptr) {
      std::fprintf(stderr, "crypto: %s\n", dlerror());
      return;
    }
    ready = resolve(lib, "EVP_CIPHER_CTX_new", &calls.cipher_ctx_new) &&
            resolve(lib, "EVP_CIPHER_CTX_free", &calls.cipher_ctx_free) &&
            resolve(lib, "EVP_aes_256_cbc", &calls.aes_256_cbc) &&
            resolve(lib, "EVP_DecryptInit_ex", &calls.decrypt_init) &&
            resolve(lib, "EVP_DecryptUpdate", &calls.decrypt_update) &&
            resolve(lib, "EVP_DecryptFinal_ex", &calls.decrypt_final) &&
            resolve(lib, "EVP_EncodeBlock", &calls.encode_block) &&
            resolve(lib, "EVP_DecodeBlock", &calls.decode_block) &&
            resolve(lib, "EVP_Digest", &calls.digest) && resolve(lib, "EVP_md5", &calls.md5);
  });
  return ready ? &calls : nullptr;
}

constexpr int kAesBlock = 16;
constexpr int kAesKey = 32;

// Decodes canonical Base64 (length a multiple of 4, "=" only at the end) into out; the
// decoded length or -1. EVP_DecodeBlock counts padding as zero bytes: they are taken off.
int decode_canonical(const Crypto& c, const std::string& text, unsigned char* out, int out_size) {
  if (text.size() % 4 != 0) return -1;
  if (text.empty()) return 0;
  int pad = 0;
  for (std::size_t i = text.size(); i > 0 && text[i - 1] == '='; --i) ++pad;
  if (pad > 2 || text.find('=') < text.size() - static_cast<std::size_t>(pad)) return -1;
  std::vector<unsigned char> whole(text.size() / 4 * 3);
  int n = c.decode_block(whole.data(), reinterpret_cast<const unsigned char*>(text.data()),
                         static_cast<int>(text.size()));
  if (n < pad) return -1;
  n -= pad;
  if (n > out_size) return -1;
  std::memcpy(out, whole.data(), static_cast<std::size_t>(n));
  return n;
}

}  // namespace

int aesDecryWeb(const unsigned char* in, const char* key, unsigned char* out, int length) {
  const Crypto* c = crypto();
  if (c == nullptr || in == nullptr || key == nullptr || out == nullptr) return -1;
  if (length <= 0 || length % kAesBlock != 0) return -1;
  unsigned char key_bytes[kAesKey] = {};
  std::memcpy(key_bytes, key, strnlen(key, kAesKey));
  const unsigned char iv[kAesBlock] = {};
  EVP_CIPHER_CTX* ctx = c->cipher_ctx_new();
  if (ctx == nullptr) return -1;
  // Decrypting the last block is held back until Final, so Update writes at most
  // length - 16 bytes and Final at most 16: never more than `length` in all.
  int got = 0, tail = 0;
  bool ok = c->decrypt_init(ctx, c->aes_256_cbc(), nullptr, key_bytes, iv) == 1 &&
            c->decrypt_update(ctx, out, &got, in, length) == 1 &&
            c->decrypt_final(ctx, out + got, &tail) == 1;
  c->cipher_ctx_free(ctx);
  return ok ? got + tail : -1;
}

int dv_base64_decode(const char* in, int in_len, unsigned char* out, int out_size) {
  const Crypto* c = crypto();
  if (c == nullptr || in == nullptr || out == nullptr || in_len < 0) return -1;
  std::string text;
  text.reserve(static_cast<std::size_t>(in_len));
  for (int i = 0; i < in_len; ++i)
    if (!std::isspace(static_cast<unsigned char>(in[i]))) text.push_back(in[i]);
  for (char ch : text)
    if (!std::isalnum(static_cast<unsigned char>(ch)) && ch != '+' && ch != '/' && ch != '=')
      return -1;
  return decode_canonical(*c, text, out, out_size);
}

int base64EncodeUrl(const unsigned char* in, int len, char* out, int out_size) {
  const Crypto* c = crypto();
  if (c == nullptr || in == nullptr || out == nullptr || len < 0) return -1;
  std::vector<unsigned char> text(static_cast<std::size_t>(len + 2) / 3 * 4 + 1);
  int n = c->encode_block(text.data(), in, len);
  while (n > 0 && text[static_cast<std::size_t>(n) - 1] == '=') --n;
  if (n + 1 > out_size) return -1;
  for (int i = 0; i < n; ++i) {
    char ch = static_cast<char>(text[static_cast<std::size_t>(i)]);
    out[i] = ch == '+' ? '-' : ch == '/' ? '_' : ch;
  }
  out[n] = '\0';
  return n;
}

int base64DecodeUrl(const char* in, unsigned char* out, int out_size) {
  const Crypto* c = crypto();
  if (c == nullptr || in == nullptr || out == nullptr) return -1;
  std::string text;
  for (const char* p = in; *p != '\0'; ++p) {
    char ch = *p;
    if (ch == '+' || ch == '/') return -1;  // the standard alphabet is not this one
    if (ch == '-') ch = '+';
    if (ch == '_') ch = '/';
    if (!std::isalnum(static_cast<unsigned char>(ch)) && ch != '+' && ch != '/' && ch != '=')
      return -1;
    text.push_back(ch);
  }
  if (text.find('=') == std::string::npos) {
    if (text.size() % 4 == 1) return -1;
    text.append((4 - text.size() % 4) % 4, '=');
  }
  return decode_canonical(*c, text, out, out_size);
}

std::string md5_hex(std::string_view data) {
  const Crypto* c = crypto();
  if (c == nullptr) return "";
  unsigned char digest[16];
  unsigned int size = 0;
  if (c->digest(data.data(), data.size(), digest, &size, c->md5(), nullptr) != 1 || size != 16)
    return "";
  static const char kHex[] = "0123456789abcdef";
  std::string out;
  for (unsigned char b : digest) {
    out.push_back(kHex[b >> 4]);
    out.push_back(kHex[b & 15]);
  }
  return out;
}
