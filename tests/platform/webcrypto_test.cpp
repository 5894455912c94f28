// The encryption library stand-in's Base64 forms and the URL encoding of the platform's
// utility library, against vectors of RFC 4648 and hand-made texts.
#include "webcrypto.h"

#include <gtest/gtest.h>

#include <string>

#include "dvstd.h"

namespace {

std::string url_encoded(const std::string& in) {
  char out[64];
  int n = base64EncodeUrl(reinterpret_cast<const unsigned char*>(in.data()),
                          static_cast<int>(in.size()), out, sizeof out);
  return n < 0 ? "(fail)" : std::string(out, static_cast<std::size_t>(n));
}

std::string url_decoded(const char* in, int room = 64) {
  unsigned char out[64];
  int n = base64DecodeUrl(in, out, room);
  return n < 0 ? "(fail)" : std::string(reinterpret_cast<char*>(out), static_cast<std::size_t>(n));
}

std::string decoded(const std::string& in) {
  unsigned char out[64];
  int n = dv_base64_decode(in.data(), static_cast<int>(in.size()), out, sizeof out);
  return n < 0 ? "(fail)" : std::string(reinterpret_cast<char*>(out), static_cast<std::size_t>(n));
}

TEST(WebCrypto, UrlSafeBase64BothWays) {
  struct Case {
    std::string plain, text;
  } cases[] = {{"", ""},
               {"f", "Zg"},
               {"fo", "Zm8"},
               {"foo", "Zm9v"},
               {"foob", "Zm9vYg"},
               {"\xfb\xff", "-_8"},
               {"ring.wav", "cmluZy53YXY"}};
  for (const Case& c : cases) {
    EXPECT_EQ(url_encoded(c.plain), c.text) << c.text;
    EXPECT_EQ(url_decoded(c.text.c_str()), c.plain) << c.text;
  }
  EXPECT_EQ(url_decoded("Zm8="), "fo");
  for (const char* bad : {"Z", "Zm9v+", "Zm/v", "Zm9v!", "Z=m9"})
    EXPECT_EQ(url_decoded(bad), "(fail)") << bad;
  EXPECT_EQ(url_decoded("Zm9vYg", 3), "(fail)");  // four bytes do not fit three
  char small[4];
  EXPECT_EQ(base64EncodeUrl(reinterpret_cast<const unsigned char*>("foo"), 3, small, sizeof small),
            -1);
}

TEST(WebCrypto, StandardBase64WithLineBreaks) {
  EXPECT_EQ(decoded("Zm9v\nYmFy\r\n"), "foobar");
  EXPECT_EQ(decoded("Zm9vYg=="), "foob");
  for (const char* bad : {"Zm9vY", "Zm9v-_", "Zm=vYg=="}) EXPECT_EQ(decoded(bad), "(fail)") << bad;
}

TEST(WebCrypto, AesRefusesWhatIsNoCipherText) {
  unsigned char in[32] = {}, out[32];
  EXPECT_EQ(aesDecryWeb(in, "key", out, 15), -1);  // no whole block
  EXPECT_EQ(aesDecryWeb(in, "key", out, 0), -1);
  EXPECT_EQ(aesDecryWeb(in, "key", out, 32), -1);  // zeros decrypt to no valid padding
}

TEST(UrlCoding, DecodeInPlaceAndEncodeWithinRoom) {
  char text[] = "%2Ftmp%2Fdiag+1%zz%4";
  EXPECT_EQ(get_url_decode(text), 16);
  EXPECT_STREQ(text, "/tmp/diag 1%zz%4");
  char out[16];
  EXPECT_EQ(get_url_encode("/tmp/a b&c", out, sizeof out), 14);
  EXPECT_STREQ(out, "/tmp/a%20b%26c");
  EXPECT_EQ(get_url_encode("a b", out, 3), 1);  // the escape does not fit: cut before it
  EXPECT_STREQ(out, "a");
}

}  // namespace
