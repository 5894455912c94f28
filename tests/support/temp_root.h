// A private NVR_ROOT folder for one test, removed afterwards.
#pragma once

#include <string>
#include <vector>

namespace nvrtest {

class TempRoot {
 public:
  TempRoot();
  ~TempRoot();
  TempRoot(const TempRoot&) = delete;
  TempRoot& operator=(const TempRoot&) = delete;

  const std::string& path() const { return path_; }
  // `rel` is an absolute system path such as "/mnt/nand/x"; the result lies under the root.
  std::string at(const std::string& rel) const { return path_ + rel; }
  void write(const std::string& rel, const std::string& content, int mode = 0644) const;
  std::string read(const std::string& rel) const;
  bool exists(const std::string& rel) const;
  void mkdirs(const std::string& rel) const;
  std::vector<std::string> list(const std::string& rel) const;  // names in a folder

 private:
  std::string path_;
};

// One TempRoot for the whole test process, named in NVR_ROOT on first use. Code under
// test (nvr_path(), the store) resolves its paths in this folder for every test of the
// process from then on, so tests keep apart by using their own file names inside it.
TempRoot& process_temp_root();

}  // namespace nvrtest
