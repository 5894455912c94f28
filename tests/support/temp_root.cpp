#include "temp_root.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace nvrtest {

TempRoot::TempRoot() {
  char tmpl[] = "/tmp/nvrtest.XXXXXX";
  char* dir = mkdtemp(tmpl);
  path_ = dir != nullptr ? dir : "/tmp/nvrtest.failed";
  for (const char* d : {"/tmp", "/mnt/nand/app", "/mnt/nand2", "/var/run", "/dev/shm"}) mkdirs(d);
}

TempRoot::~TempRoot() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

void TempRoot::mkdirs(const std::string& rel) const {
  std::error_code ec;
  std::filesystem::create_directories(at(rel), ec);
}

void TempRoot::write(const std::string& rel, const std::string& content, int mode) const {
  mkdirs(std::filesystem::path(rel).parent_path().string());
  std::ofstream f(at(rel), std::ios::binary | std::ios::trunc);
  f << content;
  f.close();
  chmod(at(rel).c_str(), static_cast<mode_t>(mode));
}

std::string TempRoot::read(const std::string& rel) const {
  std::ifstream f(at(rel), std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

bool TempRoot::exists(const std::string& rel) const {
  struct stat st;
  return lstat(at(rel).c_str(), &st) == 0;
}

std::vector<std::string> TempRoot::list(const std::string& rel) const {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(at(rel), ec))
    names.push_back(e.path().filename().string());
  return names;
}

TempRoot& process_temp_root() {
  static TempRoot root;
  static const bool named = setenv("NVR_ROOT", root.path().c_str(), 1) == 0;
  (void)named;
  return root;
}

}  // namespace nvrtest
