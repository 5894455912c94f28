// CPU time of parse_multipart_body per MB of body, for bodies that take turns in one run:
//   ordinary      a short field and a file part of pseudo-random bytes;
//   dash runs     a boundary of 70 dashes (the longest allowed) and, in the preamble and
//                 the file part, runs of dashes that match all of the delimiter but its
//                 last character, again and again;
//   field runs    the same runs inside plain fields (each as large as a field may be).
// A linear delimiter search costs about the same per MB for all three.
//
//   multipart_bench [MB per body, default 8] [rounds, default 5]   (NVR_ROOT must name a
//   folder with a tmp folder: the file parts are written there)
#include <time.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cgi.h"

namespace {

constexpr std::size_t kMB = 1u << 20;

struct Body {
  const char* name;
  std::string boundary;
  std::string text;
  std::vector<double> ms_per_mb;
};

std::string part_head(const std::string& boundary, const char* name, const char* file) {
  std::string s = "--" + boundary + "\r\nContent-Disposition: form-data; name=\"" + name + "\"";
  if (file != nullptr) s += std::string("; filename=\"") + file + "\"";
  return s + "\r\n\r\n";
}

Body ordinary(std::size_t size) {
  Body b{"ordinary", "-----------------------------9051914041544843365972754266", "", {}};
  b.text =
      part_head(b.boundary, "param", nullptr) + "abc\r\n" + part_head(b.boundary, "file", "fw.bin");
  uint64_t x = 0x9E3779B97F4A7C15u;
  while (b.text.size() < size) {
    x ^= x << 13;
    x ^= x >> 7;
    x ^= x << 17;
    b.text += static_cast<char>(x >> 56);
  }
  b.text += "\r\n--" + b.boundary + "--\r\n";
  return b;
}

constexpr std::size_t kDashes = 70;  // the boundary: the longest one allowed

// Units of one body: `head`, then all but the last character of the delimiter the parser
// looks for, then a character that ends the match.
std::string near_misses(const std::string& head, std::size_t size) {
  std::string unit = head + std::string(kDashes + 1, '-') + "x";
  std::string s;
  s.reserve(size + unit.size());
  while (s.size() < size) s += unit;
  return s;
}

// The preamble fools the search for the first delimiter ("--" and the boundary: dashes
// only, so every dash could start a match), the file part the search for the others.
Body dash_runs(std::size_t size) {
  Body b{"dash runs", std::string(kDashes, '-'), "", {}};
  b.text = near_misses("", size / 2) + "\r\n--" + b.boundary + "\r\n" +
           "Content-Disposition: form-data; name=\"file\"; filename=\"f\"\r\n\r\n" +
           near_misses("\r\n", size / 2) + "\r\n--" + b.boundary + "--\r\n";
  return b;
}

Body field_runs(std::size_t size) {
  Body b{"field runs", std::string(kDashes, '-'), "", {}};
  const std::string value = near_misses("\r\n", 30000);
  while (b.text.size() < size) b.text += part_head(b.boundary, "f", nullptr) + value + "\r\n";
  b.text += "--" + b.boundary + "--\r\n";
  return b;
}

double cpu_ms() {
  timespec t;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

bool parse(Body* b) {
  FILE* in = fmemopen(b->text.data(), b->text.size(), "rb");
  if (in == nullptr) return false;
  cgiIn = in;
  cgiContentLength = static_cast<long>(b->text.size());
  cgiMultipartBoundary = b->boundary.c_str();
  double t0 = cpu_ms();
  int rc = parse_multipart_body();
  double t1 = cpu_ms();
  cgiFreeResources();
  std::fclose(in);
  if (rc != cgiParseSuccess) {
    std::fprintf(stderr, "%s: parse failed (%d)\n", b->name, rc);
    return false;
  }
  b->ms_per_mb.push_back((t1 - t0) / (static_cast<double>(b->text.size()) / kMB));
  return true;
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const long mb = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 8;
  const long rounds = argc > 2 ? std::strtol(argv[2], nullptr, 10) : 5;
  if (mb < 1 || mb > 1024 || rounds < 1 || rounds > 1000) {
    std::fputs("usage: multipart_bench [MB 1-1024] [rounds 1-1000]\n", stderr);
    return 2;
  }
  const std::size_t size = static_cast<std::size_t>(mb) * kMB;
  Body bodies[] = {ordinary(size), dash_runs(size), field_runs(size)};
  for (long r = 0; r < rounds; ++r)
    for (Body& b : bodies)
      if (!parse(&b)) return 1;
  const double base = median(bodies[0].ms_per_mb);
  for (const Body& b : bodies)
    std::printf("%-12s %6.1f MB  median %8.2f ms/MB  min %8.2f  max %8.2f  (%.2fx ordinary)\n",
                b.name, static_cast<double>(b.text.size()) / kMB, median(b.ms_per_mb),
                *std::min_element(b.ms_per_mb.begin(), b.ms_per_mb.end()),
                *std::max_element(b.ms_per_mb.begin(), b.ms_per_mb.end()),
                median(b.ms_per_mb) / base);
  return 0;
}
