// The request as the web server handed it to webcgi: the CGI environment captured
// at start-up, the form entries of a multipart upload, the entry and cookie
// accessors and the two header writers used by redirects.
//
// Every variable is set once by cgi_capture_environment() before any handler runs
// and never changes afterwards; a missing environment entry reads as "".
//
// Implemented in front/ (cgi_env.cpp, intake.cpp, multipart.cpp, form.cpp).
#pragma once

#include <cstddef>
#include <cstdio>

extern const char* cgiServerSoftware;
extern const char* cgiServerName;
extern const char* cgiGatewayInterface;
extern const char* cgiServerProtocol;
extern const char* cgiServerPort;
extern const char* cgiRequestMethod;
extern const char* cgiPathInfo;
extern const char* cgiPathTranslated;
extern const char* cgiScriptName;
extern const char* cgiQueryString;
extern const char* cgiRemoteHost;
extern const char* cgiRemoteAddr;
extern const char* cgiAuthType;
extern const char* cgiRemoteUser;
extern const char* cgiRemoteIdent;
extern const char* cgiServerAddr;  // the Host header (HTTP_HOST)
extern char cgiContentTypeData[1024];
extern char* cgiContentType;  // the bare media type after start-up
extern const char* cgiMultipartBoundary;
extern long cgiContentLength;
extern const char* cgiAccept;
extern const char* cgiUserAgent;
extern const char* cgiReferrer;
extern const char* cgiCookie;
extern FILE* cgiIn;
extern FILE* cgiOut;

// Start-up steps 1 to 4 of main: captures the environment, splits the content type
// and binds cgiIn/cgiOut to standard input and output.
void cgi_capture_environment();

// Case-insensitive comparisons of the front end: letters of the first string are
// compared lower-cased, every other character must match exactly.
bool equalsNoCase(const char* a, const char* b);
bool beginsNoCase(const char* text, const char* prefix);

// ---- Form entries of a multipart body -------------------------------------------------

struct FormEntry {
  char* name;
  char* value;
  long valueLength;
  char* fileName;
  char* contentType;
  char* tfileName;  // temporary file of a file field, or ""
  FormEntry* next;
};

// Look-ahead reader over the request body on cgiIn.
struct MultipartReader {
  static constexpr int kRingSize = 1024;
  unsigned char ring[kRingSize];
  int readPos;
  int count;    // bytes waiting in the ring
  long offset;  // body bytes handed out so far
};

// Hands out up to `length` bytes: first pushed-back bytes, then standard input, never
// past cgiContentLength bytes of body. Returns the count, or -1 at the end of the body.
int mpRead(MultipartReader* reader, char* buffer, int length);
// Puts bytes back so that they are handed out again, in the same order, before anything
// not yet handed out. Returns false when the ring has no room (the caller treats that as
// a malformed body).
[[nodiscard]] bool mpPutBack(MultipartReader* reader, const char* bytes, int length);

enum CgiParseResult { cgiParseSuccess = 0, cgiParseMemory = 1, cgiParseIO = 2 };

// Builds the form-entry list from the body on cgiIn (0, 1 out of memory, 2 premature end
// of body or no temporary file).
int parse_multipart_body();
// Frees every entry and deletes every temporary file that an entry still names.
void cgiFreeResources();

FormEntry* findFormEntry(const char* name);
FormEntry* findNextFormEntry();
FormEntry* cgiFormEntryList();

// Result codes of the accessors.
enum CgiFormResult {
  cgiFormSuccess = 0,
  cgiFormTruncated = 1,
  cgiFormBadType = 2,
  cgiFormEmpty = 3,
  cgiFormNotFound = 4,
  cgiFormConstrained = 5,
  cgiFormNoSuchChoice = 6,
  cgiFormMemory = 7,
  cgiFormNoFileName = 8,
  cgiFormNoContentType = 9,
  cgiFormNotAFile = 10,
  cgiFormOpenFailed = 11,  // also the result for a null handle
  cgiFormIO = 12,
  cgiFormEOF = 13,
};

struct cgiFile {
  FILE* in;
};

int cgiFormFileName(const char* name, char* result, int size);
int cgiFormFileContentType(const char* name, char* result, int size);
int cgiFormFileSize(const char* name, int* sizeP);
int cgiFormFileOpen(const char* name, cgiFile** cfpp);
int cgiFormFileRead(cgiFile* cfp, char* buffer, int bufferSize, int* gotP);
int cgiFormFileClose(cgiFile* cfp);
int cgiFormString(const char* name, char* result, int max);
int cgiFormStringNoNewlines(const char* name, char* result, int max);
int cgiFormStringSpaceNeeded(const char* name, int* length);
int cgiFormStringMultiple(const char* name, char*** ptrToStringArray);
void cgiStringArrayFree(char** stringArray);
int cgiFormInteger(const char* name, int* result, int defaultV);
int cgiFormIntegerBounded(const char* name, int* result, int min, int max, int defaultV);
int cgiFormDouble(const char* name, double* result, double defaultV);
int cgiFormDoubleBounded(const char* name, double* result, double min, double max, double defaultV);
int cgiFormSelectSingle(const char* name, const char** choicesText, int choicesTotal, int* result,
                        int defaultV);
int cgiFormRadio(const char* name, const char** choicesText, int choicesTotal, int* result,
                 int defaultV);
int cgiFormSelectMultiple(const char* name, const char** choicesText, int choicesTotal, int* result,
                          int* invalid);
int cgiFormCheckboxMultiple(const char* name, const char** choicesText, int choicesTotal,
                            int* result, int* invalid);
int cgiFormCheckboxSingle(const char* name);
int cgiFormEntries(char*** ptrToStringArray);

int cgiCookieString(const char* name, char* result, int max);
int cgiCookieInteger(const char* name, int* result, int defaultV);
int cgiCookies(char*** ptrToStringArray);

void cgiHeaderLocation(const char* redirectUrl);
void cgiHeaderCookieSetString(const char* name, const char* value, int secondsToLive,
                              const char* path, const char* domain);
void cgiHeaderCookieSetInteger(const char* name, int value, int secondsToLive, const char* path,
                               const char* domain);
void cgiHeaderStatus(int status, const char* statusMessage);
void cgiHeaderContentType(const char* mimeType);
int cgiHtmlEscape(const char* s);
int cgiValueEscape(const char* s);

// ---- Intakes ----------------------------------------------------------------------------

int cgiDealGet();
int cgiDealPost();
int cgiDealUpload();

// Runs one request as main does; returns main's result.
int cgi_main();
