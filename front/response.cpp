// The response writers. Both may be called from the core-socket callback thread;
// each call writes its header and body and flushes before returning.
#include "cgi_response.h"

#include <cstdio>

#include "cgi.h"

int cgi_writeback_webserver(int kind, const char* body) {
  if (body == nullptr) return -1;
  FILE* out = cgiOut != nullptr ? cgiOut : stdout;
  flockfile(out);
  if (kind == kCgiText)
    std::fputs("Content-type: text/plain\r\n\r\n", out);
  else if (kind == kCgiJson)
    std::fputs("Content-type: application/json\r\n\r\n", out);
  std::fputs(body, out);
  std::fflush(out);
  funlockfile(out);
  return 0;
}

int cgi_error_to_webserver(int kind) {
  if (kind == kCgiText)
    cgi_writeback_webserver(kCgiText, "CGI ERROR");
  else if (kind == kCgiJson)
    cgi_writeback_webserver(kCgiJson, "{status:\"CGI ERROR\"}");
  return 0;
}
