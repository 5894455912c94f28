// Accessors over the form entries and cookies, and the header writers used by
// redirects and cookie-setting answers. Result codes are those of CgiFormResult.
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "cgi.h"

namespace {

// Copies `from` cut to size-1 characters; 1 when cut, else 0.
int copy_cut(const char* from, char* out, int size) {
  if (size <= 0) return cgiFormTruncated;
  std::size_t n = std::strlen(from);
  int rc = cgiFormSuccess;
  if (n > static_cast<std::size_t>(size - 1)) {
    n = static_cast<std::size_t>(size - 1);
    rc = cgiFormTruncated;
  }
  std::memcpy(out, from, n);
  out[n] = '\0';
  return rc;
}

// The value with line breaks (CR, LF, CR LF, LF CR) turned into one LF, or dropped.
int entry_string(FormEntry* e, char* out, int max, bool newlines) {
  if (max <= 0) return cgiFormTruncated;
  const char* s = e->value;
  int len = 0;
  bool truncated = false;
  while (*s != '\0') {
    char c = *s;
    bool is_break = c == '\r' || c == '\n';
    if (is_break) {
      char other = c == '\r' ? '\n' : '\r';
      if (s[1] == other) ++s;
      ++s;
      if (!newlines) continue;
      c = '\n';
    } else {
      ++s;
    }
    if (len >= max - 1) {
      truncated = true;
      break;
    }
    out[len++] = c;
  }
  out[len] = '\0';
  if (truncated) return cgiFormTruncated;
  return len == 0 ? cgiFormEmpty : cgiFormSuccess;
}

int to_integer(const char* s, int* out, int defaultV) {
  while (std::isspace(static_cast<unsigned char>(*s))) ++s;
  if (*s == '\0') {
    *out = defaultV;
    return cgiFormEmpty;
  }
  if (!(std::isdigit(static_cast<unsigned char>(*s)) || *s == '-' || *s == '+')) {
    *out = defaultV;
    return cgiFormBadType;
  }
  *out = std::atoi(s);
  return cgiFormSuccess;
}

int to_double(const char* s, double* out, double defaultV) {
  while (std::isspace(static_cast<unsigned char>(*s))) ++s;
  if (*s == '\0') {
    *out = defaultV;
    return cgiFormEmpty;
  }
  if (!(std::isdigit(static_cast<unsigned char>(*s)) || *s == '.' || *s == '-' || *s == '+')) {
    *out = defaultV;
    return cgiFormBadType;
  }
  *out = std::atof(s);
  return cgiFormSuccess;
}

// A null-terminated list of `count` copies; null on memory failure.
char** new_string_array(int count) {
  return static_cast<char**>(std::calloc(static_cast<std::size_t>(count) + 1, sizeof(char*)));
}

char* dup_n(const char* s, std::size_t n) {
  char* out = static_cast<char*>(std::malloc(n + 1));
  if (out != nullptr) {
    std::memcpy(out, s, n);
    out[n] = '\0';
  }
  return out;
}

// Finds cookie `name` in cgiCookie; sets the value span. Pairs are separated by ";"
// and optional white space; names match exactly.
bool find_cookie(const char* name, const char** value, std::size_t* vlen) {
  const char* p = cgiCookie;
  std::size_t nlen = std::strlen(name);
  while (*p != '\0') {
    while (*p == ' ' || *p == '\t' || *p == ';') ++p;
    const char* eq = std::strchr(p, '=');
    const char* semi = std::strchr(p, ';');
    if (semi == nullptr) semi = p + std::strlen(p);
    if (eq != nullptr && eq < semi) {
      if (static_cast<std::size_t>(eq - p) == nlen && std::strncmp(p, name, nlen) == 0) {
        *value = eq + 1;
        *vlen = static_cast<std::size_t>(semi - eq - 1);
        return true;
      }
    }
    p = semi;
  }
  return false;
}

int select_multiple(const char* name, const char** choices, int total, int* result, int* invalid) {
  for (int i = 0; i < total; ++i) result[i] = 0;
  int bad = 0;
  bool hit = false;
  for (FormEntry* e = findFormEntry(name); e != nullptr; e = findNextFormEntry()) {
    bool matched = false;
    for (int i = 0; i < total; ++i) {
      if (std::strcmp(e->value, choices[i]) == 0) {
        result[i] = 1;
        matched = hit = true;
        break;
      }
    }
    if (!matched) ++bad;
  }
  if (invalid != nullptr) *invalid = bad;
  return hit ? cgiFormSuccess : cgiFormNotFound;
}

constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

}  // namespace

int cgiFormFileName(const char* name, char* result, int size) {
  FormEntry* e = findFormEntry(name);
  if (e == nullptr) {
    if (size > 0) result[0] = '\0';
    return cgiFormNotFound;
  }
  int rc = copy_cut(e->fileName, result, size);
  if (e->fileName[0] == '\0') return cgiFormNoFileName;
  return rc;
}

int cgiFormFileContentType(const char* name, char* result, int size) {
  FormEntry* e = findFormEntry(name);
  if (e == nullptr) {
    if (size > 0) result[0] = '\0';
    return cgiFormNotFound;
  }
  int rc = copy_cut(e->contentType, result, size);
  if (e->contentType[0] == '\0') return cgiFormNoContentType;
  return rc;
}

int cgiFormFileSize(const char* name, int* sizeP) {
  FormEntry* e = findFormEntry(name);
  if (e == nullptr) {
    if (sizeP != nullptr) *sizeP = 0;
    return cgiFormNotFound;
  }
  if (e->tfileName[0] == '\0') {
    if (sizeP != nullptr) *sizeP = 0;
    return cgiFormNotAFile;
  }
  if (sizeP != nullptr) *sizeP = static_cast<int>(e->valueLength);
  return cgiFormSuccess;
}

int cgiFormFileOpen(const char* name, cgiFile** cfpp) {
  *cfpp = nullptr;
  FormEntry* e = findFormEntry(name);
  if (e == nullptr) return cgiFormNotFound;
  if (e->tfileName[0] == '\0') return cgiFormNotAFile;
  auto* cfp = static_cast<cgiFile*>(std::malloc(sizeof(cgiFile)));
  if (cfp == nullptr) return cgiFormMemory;
  cfp->in = std::fopen(e->tfileName, "rb");
  if (cfp->in == nullptr) {
    std::free(cfp);
    return cgiFormIO;
  }
  *cfpp = cfp;
  return cgiFormSuccess;
}

int cgiFormFileRead(cgiFile* cfp, char* buffer, int bufferSize, int* gotP) {
  if (cfp == nullptr) return cgiFormOpenFailed;
  std::size_t got = std::fread(buffer, 1, static_cast<std::size_t>(bufferSize), cfp->in);
  if (got == 0) {
    *gotP = 0;
    return cgiFormEOF;
  }
  *gotP = static_cast<int>(got);
  return cgiFormSuccess;
}

int cgiFormFileClose(cgiFile* cfp) {
  if (cfp == nullptr) return cgiFormOpenFailed;
  std::fclose(cfp->in);
  std::free(cfp);
  return cgiFormSuccess;
}

int cgiFormString(const char* name, char* result, int max) {
  FormEntry* e = findFormEntry(name);
  if (e == nullptr) {
    if (max > 0) result[0] = '\0';
    return cgiFormNotFound;
  }
  return entry_string(e, result, max, true);
}

int cgiFormStringNoNewlines(const char* name, char* result, int max) {
  FormEntry* e = findFormEntry(name);
  if (e == nullptr) {
    if (max > 0) result[0] = '\0';
    return cgiFormNotFound;
  }
  return entry_string(e, result, max, false);
}

int cgiFormStringSpaceNeeded(const char* name, int* length) {
  FormEntry* e = findFormEntry(name);
  if (e == nullptr) {
    *length = 1;
    return cgiFormNotFound;
  }
  *length = static_cast<int>(std::strlen(e->value)) + 1;
  return cgiFormSuccess;
}

int cgiFormStringMultiple(const char* name, char*** ptrToStringArray) {
  *ptrToStringArray = nullptr;
  int total = 0;
  for (FormEntry* e = findFormEntry(name); e != nullptr; e = findNextFormEntry()) ++total;
  char** list = new_string_array(total);
  if (list == nullptr) return cgiFormMemory;
  int i = 0;
  for (FormEntry* e = findFormEntry(name); e != nullptr && i < total; e = findNextFormEntry()) {
    list[i] = dup_n(e->value, std::strlen(e->value));
    if (list[i] == nullptr) {
      cgiStringArrayFree(list);
      return cgiFormMemory;
    }
    ++i;
  }
  *ptrToStringArray = list;
  return total == 0 ? cgiFormNotFound : cgiFormSuccess;
}

void cgiStringArrayFree(char** stringArray) {
  if (stringArray == nullptr) return;
  for (char** p = stringArray; *p != nullptr; ++p) std::free(*p);
  std::free(stringArray);
}

// A number entry: missing gives the default and 4, otherwise the converter's result.
template <typename T>
int form_number(const char* name, T* result, T defaultV, int (*convert)(const char*, T*, T)) {
  FormEntry* e = findFormEntry(name);
  if (e == nullptr) {
    *result = defaultV;
    return cgiFormNotFound;
  }
  return convert(e->value, result, defaultV);
}

// The same, clamped into [min, max] (5 when it clamped).
template <typename T>
int form_number_bounded(const char* name, T* result, T min, T max, T defaultV,
                        int (*convert)(const char*, T*, T)) {
  int rc = form_number(name, result, defaultV, convert);
  if (rc != cgiFormSuccess) return rc;
  if (*result < min || *result > max) {
    *result = *result < min ? min : max;
    return cgiFormConstrained;
  }
  return cgiFormSuccess;
}

int cgiFormInteger(const char* name, int* result, int defaultV) {
  return form_number(name, result, defaultV, to_integer);
}

int cgiFormIntegerBounded(const char* name, int* result, int min, int max, int defaultV) {
  return form_number_bounded(name, result, min, max, defaultV, to_integer);
}

int cgiFormDouble(const char* name, double* result, double defaultV) {
  return form_number(name, result, defaultV, to_double);
}

int cgiFormDoubleBounded(const char* name, double* result, double min, double max,
                         double defaultV) {
  return form_number_bounded(name, result, min, max, defaultV, to_double);
}

int cgiFormSelectSingle(const char* name, const char** choicesText, int choicesTotal, int* result,
                        int defaultV) {
  FormEntry* e = findFormEntry(name);
  if (e == nullptr) {
    *result = defaultV;
    return cgiFormNotFound;
  }
  for (int i = 0; i < choicesTotal; ++i) {
    if (std::strcmp(choicesText[i], e->value) == 0) {
      *result = i;
      return cgiFormSuccess;
    }
  }
  *result = defaultV;
  return cgiFormNoSuchChoice;
}

int cgiFormRadio(const char* name, const char** choicesText, int choicesTotal, int* result,
                 int defaultV) {
  return cgiFormSelectSingle(name, choicesText, choicesTotal, result, defaultV);
}

int cgiFormSelectMultiple(const char* name, const char** choicesText, int choicesTotal, int* result,
                          int* invalid) {
  return select_multiple(name, choicesText, choicesTotal, result, invalid);
}

int cgiFormCheckboxMultiple(const char* name, const char** choicesText, int choicesTotal,
                            int* result, int* invalid) {
  return select_multiple(name, choicesText, choicesTotal, result, invalid);
}

int cgiFormCheckboxSingle(const char* name) {
  return findFormEntry(name) != nullptr ? cgiFormSuccess : cgiFormNotFound;
}

int cgiFormEntries(char*** ptrToStringArray) {
  *ptrToStringArray = nullptr;
  int total = 0;
  for (FormEntry* e = cgiFormEntryList(); e != nullptr; e = e->next) ++total;
  char** list = new_string_array(total);
  if (list == nullptr) return cgiFormMemory;
  int n = 0;
  for (FormEntry* e = cgiFormEntryList(); e != nullptr; e = e->next) {
    bool seen = false;
    for (int i = 0; i < n && !seen; ++i) seen = std::strcmp(list[i], e->name) == 0;
    if (seen) continue;
    list[n] = dup_n(e->name, std::strlen(e->name));
    if (list[n] == nullptr) {
      cgiStringArrayFree(list);
      return cgiFormMemory;
    }
    ++n;
  }
  *ptrToStringArray = list;
  return cgiFormSuccess;
}

int cgiCookieString(const char* name, char* result, int max) {
  const char* value;
  std::size_t vlen;
  if (!find_cookie(name, &value, &vlen)) {
    if (max > 0) result[0] = '\0';
    return cgiFormNotFound;
  }
  if (max <= 0) return cgiFormTruncated;
  int rc = cgiFormSuccess;
  if (vlen > static_cast<std::size_t>(max - 1)) {
    vlen = static_cast<std::size_t>(max - 1);
    rc = cgiFormTruncated;
  }
  std::memcpy(result, value, vlen);
  result[vlen] = '\0';
  return rc;
}

int cgiCookieInteger(const char* name, int* result, int defaultV) {
  char buffer[256];
  int rc = cgiCookieString(name, buffer, sizeof buffer);
  if (rc != cgiFormSuccess && rc != cgiFormTruncated) {
    *result = defaultV;
    return rc;
  }
  *result = std::atoi(buffer);
  return rc;
}

int cgiCookies(char*** ptrToStringArray) {
  *ptrToStringArray = nullptr;
  int total = 0;
  for (const char* p = cgiCookie; *p != '\0'; ++p)
    if (*p == '=') ++total;
  char** list = new_string_array(total);
  if (list == nullptr) return cgiFormMemory;
  int n = 0;
  const char* p = cgiCookie;
  while (*p != '\0' && n < total) {
    while (*p == ' ' || *p == '\t' || *p == ';') ++p;
    const char* eq = std::strchr(p, '=');
    const char* semi = std::strchr(p, ';');
    if (semi == nullptr) semi = p + std::strlen(p);
    if (eq != nullptr && eq < semi) {
      list[n] = dup_n(p, static_cast<std::size_t>(eq - p));
      if (list[n] == nullptr) {
        cgiStringArrayFree(list);
        return cgiFormMemory;
      }
      ++n;
    }
    p = semi;
  }
  *ptrToStringArray = list;
  return cgiFormSuccess;
}

void cgiHeaderLocation(const char* redirectUrl) {
  std::fprintf(cgiOut, "Location: %s\r\n\r\n", redirectUrl);
}

void cgiHeaderCookieSetString(const char* name, const char* value, int secondsToLive,
                              const char* path, const char* domain) {
  std::time_t then = std::time(nullptr) + secondsToLive;
  std::tm gt{};
  gmtime_r(&then, &gt);
  std::fprintf(cgiOut,
               "Set-Cookie: %s=%s; domain=%s; expires=%s, %02d-%s-%04d %02d:%02d:%02d GMT; "
               "path=%s\r\n",
               name, value, domain, kDays[gt.tm_wday], gt.tm_mday, kMonths[gt.tm_mon],
               gt.tm_year + 1900, gt.tm_hour, gt.tm_min, gt.tm_sec, path);
}

void cgiHeaderCookieSetInteger(const char* name, int value, int secondsToLive, const char* path,
                               const char* domain) {
  char text[32];
  std::snprintf(text, sizeof text, "%d", value);
  cgiHeaderCookieSetString(name, text, secondsToLive, path, domain);
}

void cgiHeaderStatus(int status, const char* statusMessage) {
  std::fprintf(cgiOut, "Status: %d %s\r\n\r\n", status, statusMessage);
}

void cgiHeaderContentType(const char* mimeType) {
  std::fprintf(cgiOut, "Content-type: %s\r\n\r\n", mimeType);
}

int cgiHtmlEscape(const char* s) {
  for (; *s != '\0'; ++s) {
    int rc;
    switch (*s) {
      case '<':
        rc = std::fputs("&lt;", cgiOut);
        break;
      case '>':
        rc = std::fputs("&gt;", cgiOut);
        break;
      case '&':
        rc = std::fputs("&amp;", cgiOut);
        break;
      default:
        rc = std::fputc(*s, cgiOut);
        break;
    }
    if (rc == EOF) return cgiFormIO;
  }
  return cgiFormSuccess;
}

int cgiValueEscape(const char* s) {
  for (; *s != '\0'; ++s) {
    int rc = *s == '"' ? std::fputs("&#34;", cgiOut) : std::fputc(*s, cgiOut);
    if (rc == EOF) return cgiFormIO;
  }
  return cgiFormSuccess;
}
