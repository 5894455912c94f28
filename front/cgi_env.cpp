// Start-up of a request: capture of the CGI environment, the content-type split and
// the routing of main by method and media type.
#include <cctype>
#include <cstdlib>
#include <cstring>

#include "cgi.h"
#include "webres.h"

const char* cgiServerSoftware = "";
const char* cgiServerName = "";
const char* cgiGatewayInterface = "";
const char* cgiServerProtocol = "";
const char* cgiServerPort = "";
const char* cgiRequestMethod = "";
const char* cgiPathInfo = "";
const char* cgiPathTranslated = "";
const char* cgiScriptName = "";
const char* cgiQueryString = "";
const char* cgiRemoteHost = "";
const char* cgiRemoteAddr = "";
const char* cgiAuthType = "";
const char* cgiRemoteUser = "";
const char* cgiRemoteIdent = "";
const char* cgiServerAddr = "";
char cgiContentTypeData[1024];
char* cgiContentType = cgiContentTypeData;
const char* cgiMultipartBoundary = "";
long cgiContentLength = 0;
const char* cgiAccept = "";
const char* cgiUserAgent = "";
const char* cgiReferrer = "";
const char* cgiCookie = "";
FILE* cgiIn = nullptr;
FILE* cgiOut = nullptr;

namespace {

// The environment strings live as long as the process; no copy is needed.
const char* env_or_empty(const char* name) {
  const char* v = std::getenv(name);
  return v != nullptr ? v : "";
}

inline bool is_space(char c) {
  return std::isspace(static_cast<unsigned char>(c)) != 0;
}

// Every ";" visited is overwritten with a terminator, so the buffer ends up holding
// only the media type; the boundary is the text after "boundary=" up to white space.
void split_content_type() {
  cgiMultipartBoundary = "";
  char* p = cgiContentTypeData;
  while ((p = std::strchr(p, ';')) != nullptr) {
    *p++ = '\0';
    while (is_space(*p)) ++p;
    if (beginsNoCase(p, "boundary=")) {
      char* value = p + 9;
      char* end = value;
      while (*end != '\0' && !is_space(*end)) ++end;
      *end = '\0';
      cgiMultipartBoundary = value;
      return;
    }
  }
}

}  // namespace

// One character of the first string against one of the second: a letter in the first
// is compared lower-cased, anything else exactly.
static bool chars_match(char ca, char cb) {
  if (std::isalpha(static_cast<unsigned char>(ca)))
    return std::tolower(static_cast<unsigned char>(ca)) ==
           std::tolower(static_cast<unsigned char>(cb));
  return ca == cb;
}

bool equalsNoCase(const char* a, const char* b) {
  for (;; ++a, ++b) {
    if (!chars_match(*a, *b)) return false;
    if (*a == '\0') return true;
  }
}

bool beginsNoCase(const char* text, const char* prefix) {
  for (; *prefix != '\0'; ++text, ++prefix)
    if (*text == '\0' || !chars_match(*text, *prefix)) return false;
  return true;
}

void cgi_capture_environment() {
  cgiServerSoftware = env_or_empty("SERVER_SOFTWARE");
  cgiServerName = env_or_empty("SERVER_NAME");
  cgiGatewayInterface = env_or_empty("GATEWAY_INTERFACE");
  cgiServerProtocol = env_or_empty("SERVER_PROTOCOL");
  cgiServerPort = env_or_empty("SERVER_PORT");
  cgiRequestMethod = env_or_empty("REQUEST_METHOD");
  cgiPathInfo = env_or_empty("PATH_INFO");
  cgiPathTranslated = env_or_empty("PATH_TRANSLATED");
  cgiScriptName = env_or_empty("SCRIPT_NAME");
  cgiQueryString = env_or_empty("QUERY_STRING");
  cgiRemoteHost = env_or_empty("REMOTE_HOST");
  cgiRemoteAddr = env_or_empty("REMOTE_ADDR");
  cgiAuthType = env_or_empty("AUTH_TYPE");
  cgiRemoteUser = env_or_empty("REMOTE_USER");
  cgiRemoteIdent = env_or_empty("REMOTE_IDENT");
  cgiServerAddr = env_or_empty("HTTP_HOST");

  const char* type = env_or_empty("CONTENT_TYPE");
  std::size_t n = std::strlen(type);
  if (n >= sizeof cgiContentTypeData) n = sizeof cgiContentTypeData - 1;
  std::memcpy(cgiContentTypeData, type, n);
  cgiContentTypeData[n] = '\0';
  cgiContentType = cgiContentTypeData;
  split_content_type();

  cgiContentLength = std::strtol(env_or_empty("CONTENT_LENGTH"), nullptr, 10);
  if (cgiContentLength < 0) cgiContentLength = 0;
  cgiAccept = env_or_empty("HTTP_ACCEPT");
  cgiUserAgent = env_or_empty("HTTP_USER_AGENT");
  cgiReferrer = env_or_empty("HTTP_REFERER");
  cgiCookie = env_or_empty("HTTP_COOKIE");
  cgiFreeResources();
  cgiIn = stdin;
  cgiOut = stdout;
}

int cgi_main() {
  cgi_capture_environment();
  int result = 0;
  if (equalsNoCase(cgiRequestMethod, "post")) {
    if (equalsNoCase(cgiContentType, "application/x-www-form-urlencoded") ||
        equalsNoCase(cgiContentType, "application/json")) {
      cgiDealPost();
    } else if (equalsNoCase(cgiContentType, "multipart/form-data")) {
      // "/1010" streams its body itself; everything else is parsed into entries first.
      if (std::strcmp(cgiPathInfo, "/1010") != 0 && parse_multipart_body() != cgiParseSuccess) {
        result = -1;
      } else {
        cgiDealUpload();
      }
    }
  } else if (equalsNoCase(cgiRequestMethod, "get")) {
    cgiContentLength = static_cast<long>(std::strlen(cgiQueryString));
    cgiDealGet();
  }
  cgiFreeResources();
  return result;
}
