// The multipart/form-data intake: a look-ahead reader over the body, the parser that
// turns the body into the form-entry list, and the release of that list at exit.
//
// Ordinary fields are kept in memory; file fields are streamed into private temporary
// files under <root>/tmp. Allocation failures are reported (1), never thrown.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "cgi.h"
#include "nvr_root.h"

namespace {

FormEntry* g_first = nullptr;
FormEntry* g_last = nullptr;
FormEntry* g_found = nullptr;  // the last entry handed out by findFormEntry
MultipartReader g_reader;

constexpr int kFieldMax = 1024;  // header names, values and parameters: 1023 characters
// RFC 2046 allows boundaries of 1 to 70 characters; a longer one refuses the body.
constexpr std::size_t kBoundaryMax = 70;
// A plain field is held in memory; one larger than the largest POST body refuses the body.
constexpr long kFieldValueMax = 30719;
// The parser puts back at most two bytes at a time (a header line's look-ahead, the two
// bytes after a delimiter) and reads them again before it puts back anything else.
constexpr int kPutBackMax = 2;
static_assert(kPutBackMax <= MultipartReader::kRingSize);

// Says why the body is refused and returns the parse result.
int refuse(int rc, const char* why) {
  std::fprintf(stderr, "webcgi: multipart body refused: %s\n", why);
  return rc;
}

char* dup_text(const char* s) {
  std::size_t n = std::strlen(s);
  char* out = static_cast<char*>(std::malloc(n + 1));
  if (out != nullptr) std::memcpy(out, s, n + 1);
  return out;
}

void free_entry(FormEntry* e) {
  if (e == nullptr) return;
  std::free(e->name);
  std::free(e->value);
  std::free(e->fileName);
  std::free(e->contentType);
  std::free(e->tfileName);
  std::free(e);
}

int read_byte(MultipartReader* r) {
  char c;
  if (mpRead(r, &c, 1) != 1) return -1;
  return static_cast<unsigned char>(c);
}

// Reads one header line into name and value (each cut at 1023 characters). Returns
// true when the line is a header: both name and value non-empty.
bool read_header_line(MultipartReader* r, char* name, char* value) {
  int nlen = 0, vlen = 0;
  bool in_value = false, skipping_space = false;
  for (;;) {
    int c = read_byte(r);
    if (c < 0) break;
    if (c == '\r') {
      int d = read_byte(r);
      if (d >= 0 && d != '\n') {
        char back = static_cast<char>(d);
        if (!mpPutBack(r, &back, 1)) break;
      }
      break;
    }
    if (c == '\n') break;
    if (!in_value) {
      if (c == ':' && nlen > 0) {
        in_value = true;
        skipping_space = true;
      } else if (c != ' ' && c != '\t' && nlen < kFieldMax - 1) {
        name[nlen++] = static_cast<char>(c);
      }
      continue;
    }
    if (skipping_space && (c == ' ' || c == '\t')) continue;
    skipping_space = false;
    if (vlen < kFieldMax - 1) value[vlen++] = static_cast<char>(c);
  }
  name[nlen] = '\0';
  value[vlen] = '\0';
  return nlen > 0 && vlen > 0;
}

bool is_ws(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

void copy_cut(char* out, const char* from, std::size_t n) {
  if (n > kFieldMax - 1) n = kFieldMax - 1;
  std::memcpy(out, from, n);
  out[n] = '\0';
}

// Splits "main; p1=v1; p2="v2"" into the main value and the wanted parameters. Each
// of `wanted`/`outs` is a parallel list of `count` names and 1024-byte buffers.
void split_header_value(const char* value, char* main_value, const char* const* wanted,
                        char* const* outs, int count) {
  const char* p = value;
  while (is_ws(*p)) ++p;
  if (*p == '"') {
    const char* start = ++p;
    while (*p != '\0' && *p != '"') ++p;
    copy_cut(main_value, start, static_cast<std::size_t>(p - start));
    while (*p != '\0' && *p != ';') ++p;
  } else {
    const char* start = p;
    while (*p != '\0' && *p != ';') ++p;
    copy_cut(main_value, start, static_cast<std::size_t>(p - start));
  }
  while (*p == ';') {
    ++p;
    while (is_ws(*p)) ++p;
    const char* pname = p;
    while (std::isalnum(static_cast<unsigned char>(*p))) ++p;
    std::size_t pname_len = static_cast<std::size_t>(p - pname);
    while (is_ws(*p)) ++p;
    if (*p != '=') return;
    ++p;
    while (is_ws(*p)) ++p;
    const char* vstart;
    std::size_t vlen;
    if (*p == '"') {
      vstart = ++p;
      while (*p != '\0' && *p != '"') ++p;
      vlen = static_cast<std::size_t>(p - vstart);
      if (*p == '"') ++p;
      while (*p != '\0' && *p != ';') ++p;
    } else {
      vstart = p;
      while (*p != '\0' && *p != ';') ++p;
      vlen = static_cast<std::size_t>(p - vstart);
    }
    char pn[kFieldMax];
    copy_cut(pn, pname, pname_len);
    for (int i = 0; i < count; ++i)
      if (equalsNoCase(pn, wanted[i])) copy_cut(outs[i], vstart, vlen);
  }
}

// Where copied content goes: a temporary file or a growing memory buffer of at most
// kFieldValueMax characters.
struct Sink {
  FILE* file = nullptr;
  char* buffer = nullptr;
  long length = 0;
  long capacity = 0;
  bool discard = false;
  bool too_large = false;  // a memory value went past kFieldValueMax

  [[nodiscard]] bool put(char c) {
    if (discard) return true;
    if (file != nullptr) {
      if (std::fputc(c, file) == EOF) return false;
      ++length;
      return true;
    }
    if (length >= kFieldValueMax) {
      too_large = true;
      return false;
    }
    if (!reserve(length + 2)) return false;  // the character and, later, the terminator
    buffer[length++] = c;
    return true;
  }
  // Ends a memory value with its terminator (not counted in length).
  [[nodiscard]] bool terminate() {
    if (!reserve(length + 1)) return false;
    buffer[length] = '\0';
    return true;
  }
  // Room for `size` bytes, growing by doubling from 256 up to the largest value and its
  // terminator, never more.
  [[nodiscard]] bool reserve(long size) {
    if (size <= capacity) return true;
    long grown = capacity == 0 ? 256 : capacity * 2;
    while (grown < size) grown *= 2;
    grown = std::min(grown, kFieldValueMax + 1);
    if (grown < size) return false;
    char* p = static_cast<char*>(std::realloc(buffer, static_cast<std::size_t>(grown)));
    if (p == nullptr) return false;
    buffer = p;
    capacity = grown;
    return true;
  }
  [[nodiscard]] bool put(const char* text, int n) {
    for (int i = 0; i < n; ++i)
      if (!put(text[i])) return false;
    return true;
  }
};

// The delimiter that ends a part ("\r\n--" and the boundary, or "--" and the boundary
// before the first part) with its failure function (Knuth-Morris-Pratt): after a mismatch
// the search continues from the longest part of the match that can still begin a
// delimiter, so every body byte is read once and nothing is put back.
class Delimiter {
 public:
  static constexpr int kMax = 4 + static_cast<int>(kBoundaryMax);

  // The boundary must have at most kBoundaryMax characters.
  Delimiter(const char* boundary, bool first) {
    if (!first) {
      text_[size_++] = '\r';
      text_[size_++] = '\n';
    }
    text_[size_++] = '-';
    text_[size_++] = '-';
    std::size_t blen = std::min(std::strlen(boundary), kBoundaryMax);
    std::memcpy(text_ + size_, boundary, blen);
    size_ += static_cast<int>(blen);
    // border_[i]: length of the longest proper prefix of text_[0..i] that is also its suffix.
    border_[0] = 0;
    for (int i = 1, k = 0; i < size_; ++i) {
      while (k > 0 && text_[i] != text_[k]) k = border_[k - 1];
      if (text_[i] == text_[k]) ++k;
      border_[i] = k;
    }
  }

  int size() const { return size_; }
  const char* text() const { return text_; }
  char at(int i) const { return text_[i]; }
  // With `matched` characters matched (0 < matched), how many remain matched.
  int fallback(int matched) const { return border_[matched - 1]; }

 private:
  char text_[kMax];
  int border_[kMax];
  int size_ = 0;
};

// Copies content up to the delimiter "\r\n--boundary" (or "--boundary" for the first
// one). Returns 0, 1 when memory or the file fails, 2 at a premature end of body.
int copy_to_delimiter(MultipartReader* r, Sink* sink, bool first) {
  const Delimiter delim(cgiMultipartBoundary, first);
  // The last `matched` bytes read are the delimiter's first `matched` characters; they are
  // content only once a mismatch shows they cannot begin the delimiter.
  int matched = 0;
  for (;;) {
    char c;
    if (mpRead(r, &c, 1) != 1) return 2;
    while (matched > 0 && c != delim.at(matched)) {
      int kept = delim.fallback(matched);
      if (!sink->put(delim.text(), matched - kept)) return 1;
      matched = kept;
    }
    if (c == delim.at(matched)) {
      if (++matched == delim.size()) break;
    } else if (!sink->put(c)) {
      return 1;
    }
  }
  char tail[2];
  if (mpRead(r, tail, 2) != 2) return 2;
  if (!(tail[0] == '\r' && tail[1] == '\n') && tail[0] == '-') {
    if (!mpPutBack(r, tail, 2)) return 2;
  }
  return 0;
}

// Creates <root>/tmp/cgicXXXXXX with mode 0600 and opens it for reading and writing.
FILE* open_temp_file(char* path_out, std::size_t size) {
  if (!nvr_path_buf("/tmp/cgicXXXXXX", path_out, size)) return nullptr;
  int fd = mkstemp(path_out);
  if (fd < 0) {
    path_out[0] = '\0';
    return nullptr;
  }
  close(fd);
  if (chmod(path_out, 0600) != 0) {
    unlink(path_out);
    path_out[0] = '\0';
    return nullptr;
  }
  FILE* f = std::fopen(path_out, "w+b");
  if (f == nullptr) {
    unlink(path_out);
    path_out[0] = '\0';
  }
  return f;
}

// Parses one part whose headers start at the reader. Returns 0 (entry appended or part
// skipped), or an error code.
int parse_part(MultipartReader* r) {
  static char hname[kFieldMax], hvalue[kFieldMax];
  static char disposition[kFieldMax], fname[kFieldMax], ffile[kFieldMax], ctype[kFieldMax];
  disposition[0] = fname[0] = ffile[0] = ctype[0] = '\0';
  while (read_header_line(r, hname, hvalue)) {
    if (equalsNoCase(hname, "Content-Disposition")) {
      const char* wanted[] = {"name", "filename"};
      char* outs[] = {fname, ffile};
      split_header_value(hvalue, disposition, wanted, outs, 2);
    } else if (equalsNoCase(hname, "Content-Type")) {
      split_header_value(hvalue, ctype, nullptr, nullptr, 0);
    }
  }
  if (!equalsNoCase(disposition, "form-data")) return 0;

  Sink sink;
  char tpath[4096] = "";
  if (ffile[0] != '\0') {
    sink.file = open_temp_file(tpath, sizeof tpath);
    if (sink.file == nullptr) return refuse(cgiParseIO, "cannot create a temporary file");
  }
  int rc = copy_to_delimiter(r, &sink, false);
  FormEntry* e = nullptr;
  if (rc == 0) {
    if (sink.file != nullptr) {
      if (std::fclose(sink.file) != 0) rc = cgiParseIO;
      sink.file = nullptr;
    } else {
      if (!sink.terminate()) {
        rc = cgiParseMemory;
      } else {
        char* shrunk = static_cast<char*>(
            std::realloc(sink.buffer, static_cast<std::size_t>(sink.length) + 1));
        if (shrunk != nullptr) sink.buffer = shrunk;
      }
    }
  }
  if (rc == 0) {
    e = static_cast<FormEntry*>(std::calloc(1, sizeof(FormEntry)));
    if (e != nullptr) {
      e->name = dup_text(fname);
      e->value = sink.buffer != nullptr ? sink.buffer : dup_text("");
      sink.buffer = nullptr;
      e->valueLength = sink.length;
      e->fileName = dup_text(ffile);
      e->contentType = dup_text(ctype);
      e->tfileName = dup_text(tpath);
    }
    if (e == nullptr || e->name == nullptr || e->value == nullptr || e->fileName == nullptr ||
        e->contentType == nullptr || e->tfileName == nullptr)
      rc = cgiParseMemory;
  }
  if (rc != 0) {
    if (sink.too_large)
      refuse(rc, "a field is larger than 30719 characters");
    else
      refuse(rc, rc == cgiParseMemory ? "out of memory, or a temporary file cannot be written"
                                      : "the body ends inside a part, or a temporary file "
                                        "cannot be closed");
    if (sink.file != nullptr) std::fclose(sink.file);
    if (tpath[0] != '\0') unlink(tpath);
    std::free(sink.buffer);
    free_entry(e);
    return rc;
  }
  if (g_last != nullptr)
    g_last->next = e;
  else
    g_first = e;
  g_last = e;
  return 0;
}

}  // namespace

int mpRead(MultipartReader* r, char* buffer, int length) {
  if (length <= 0) return 0;
  int got = 0;
  while (got < length && r->count > 0) {
    buffer[got++] = static_cast<char>(r->ring[r->readPos]);
    r->readPos = (r->readPos + 1) % MultipartReader::kRingSize;
    --r->count;
  }
  if (got < length) {
    long remaining = cgiContentLength - r->offset - got;
    if (remaining > 0) {
      std::size_t want = static_cast<std::size_t>(length - got);
      if (static_cast<long>(want) > remaining) want = static_cast<std::size_t>(remaining);
      got += static_cast<int>(std::fread(buffer + got, 1, want, cgiIn));
    }
  }
  r->offset += got;
  return got > 0 ? got : -1;
}

bool mpPutBack(MultipartReader* r, const char* bytes, int length) {
  if (length <= 0) return true;
  if (r->count + length > MultipartReader::kRingSize) return false;
  // Bytes go in front of what is still waiting, so the rescan sees them in body order.
  r->readPos = (r->readPos - length + MultipartReader::kRingSize) % MultipartReader::kRingSize;
  for (int i = 0; i < length; ++i)
    r->ring[(r->readPos + i) % MultipartReader::kRingSize] = static_cast<unsigned char>(bytes[i]);
  r->count += length;
  r->offset -= length;
  return true;
}

int parse_multipart_body() {
  MultipartReader* r = &g_reader;
  std::memset(r, 0, sizeof *r);
  if (cgiContentLength == 0) return cgiParseSuccess;
  if (std::strlen(cgiMultipartBoundary) > kBoundaryMax)
    return refuse(cgiParseIO, "the boundary is longer than 70 characters");

  Sink preamble;
  preamble.discard = true;
  if (copy_to_delimiter(r, &preamble, true) != 0) return cgiParseSuccess;  // no delimiter

  for (;;) {
    char two[2];
    if (mpRead(r, two, 2) != 2) return cgiParseSuccess;
    if (two[0] == '-' && two[1] == '-') return cgiParseSuccess;
    if (!mpPutBack(r, two, 2)) return refuse(cgiParseIO, "no room to put bytes back");
    int rc = parse_part(r);
    if (rc != 0) return rc;
  }
}

void cgiFreeResources() {
  FormEntry* e = g_first;
  while (e != nullptr) {
    FormEntry* next = e->next;
    if (e->tfileName != nullptr && e->tfileName[0] != '\0') unlink(e->tfileName);
    free_entry(e);
    e = next;
  }
  g_first = g_last = g_found = nullptr;
}

FormEntry* cgiFormEntryList() {
  return g_first;
}

FormEntry* findFormEntry(const char* name) {
  for (FormEntry* e = g_first; e != nullptr; e = e->next) {
    if (std::strcmp(e->name, name) == 0) {
      g_found = e;
      return e;
    }
  }
  g_found = nullptr;
  return nullptr;
}

FormEntry* findNextFormEntry() {
  if (g_found == nullptr) return nullptr;
  const char* name = g_found->name;
  for (FormEntry* e = g_found->next; e != nullptr; e = e->next) {
    if (std::strcmp(e->name, name) == 0) {
      g_found = e;
      return e;
    }
  }
  g_found = nullptr;
  return nullptr;
}
