// The response writers' exact bytes.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "cgi.h"
#include "cgi_response.h"

namespace {

std::string capture(void (*write)()) {
  char* buf = nullptr;
  std::size_t len = 0;
  cgiOut = open_memstream(&buf, &len);
  write();
  std::fclose(cgiOut);
  cgiOut = stdout;
  std::string out(buf, len);
  std::free(buf);
  return out;
}

TEST(Response, WritersAndErrorBodies) {
  EXPECT_EQ(capture([] { cgi_writeback_webserver(0, "OK"); }),
            "Content-type: text/plain\r\n\r\nOK");
  EXPECT_EQ(capture([] { cgi_writeback_webserver(1, "{\"a\":1}"); }),
            "Content-type: application/json\r\n\r\n{\"a\":1}");
  EXPECT_EQ(capture([] { cgi_writeback_webserver(7, "raw %s"); }), "raw %s");
  EXPECT_EQ(capture([] { EXPECT_EQ(cgi_writeback_webserver(0, nullptr), -1); }), "");
  EXPECT_EQ(capture([] { cgi_error_to_webserver(0); }),
            "Content-type: text/plain\r\n\r\nCGI ERROR");
  EXPECT_EQ(capture([] { cgi_error_to_webserver(1); }),
            "Content-type: application/json\r\n\r\n{status:\"CGI ERROR\"}");
  EXPECT_EQ(capture([] { EXPECT_EQ(cgi_error_to_webserver(2), 0); }), "");
  // No state: two calls write two header blocks.
  EXPECT_EQ(capture([] {
              cgi_writeback_webserver(0, "A");
              cgi_error_to_webserver(0);
            }),
            "Content-type: text/plain\r\n\r\nAContent-type: text/plain\r\n\r\nCGI ERROR");
}

}  // namespace
