// The factory commands, the customisation package and the small system requests served in
// process. Every program they run is a recording stand-in in the root's /usr/bin (cp, tar
// and unzip hand their arguments on to the host tool, which acts only on root paths), and
// packages are made here with zip, Python's zipfile and the openssl command.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "camera/camera_record.h"
#include "dvdb.h"
#include "dvstd.h"
#include "support/bytes.h"
#include "support/cgi_runner.h"
#include "support/inprocess.h"
#include "support/json_tree.h"
#include "support/settings_pair.h"
#include "system/system_handlers.h"
#include "webcrypto.h"

namespace {

using nvrtest::Bytes;
using nvrtest::InProcess;
using nvrtest::JournalEntry;

const std::string& kText = nvrtest::kTextHeader;
const std::string& kJson = nvrtest::kJsonHeader;

const nvrtest::SettingsPair kAccessFilter{
    .name = "access_filter",
    .set_path = "/6301",
    .body = R"({"filterEnable":1,"filterType":0,"filterList":[{"address_type":0,)"
            R"("address":"192.168.1.20"},{"address_type":1,"address":"10.0.0.8"}]})",
    .get_path = "/6300",
    .get_contains = R"({"filterEnable":1,"filterType":0,"filterList":[{"address_type":0,)"
                    R"("address":"192.168.1.20"},{"address_type":1,"address":"10.0.0.8"}]})",
    .notice = 1722,
    .refused = {"not json", R"({"filterEnable":1,"filterType":0})",
                R"({"filterEnable":"x","filterType":0,"filterList":[]})"},
    .table = "access_filter"};

TEST(SystemFactoryPairs, AccessFilter) {
  nvrtest::check_settings_pair(kAccessFilter);
}

std::vector<uint32_t> types_of(const std::vector<JournalEntry>& sent) {
  std::vector<uint32_t> types;
  for (const auto& e : sent) types.push_back(e.type);
  return types;
}

std::string param(const char* key) {
  char value[256];
  get_param_value(kStoreMain, key, value, sizeof value, "(none)");
  return value;
}

// A program of the recorder as a stand-in that records its call in /tmp/calls and, when
// `host` is given, runs that host tool with the same arguments.
void install_standin(const std::string& name, const std::string& host = "") {
  const nvrtest::TempRoot& root = InProcess::instance().root();
  std::string script = "#!/bin/sh\necho \"" + name + " $*\" >> \"$NVR_ROOT/tmp/calls\"\n";
  if (!host.empty()) script += "exec " + host + " \"$@\"\n";
  root.write("/usr/bin/" + name, script, 0755);
}

std::string take_calls() {
  const nvrtest::TempRoot& root = InProcess::instance().root();
  std::string calls = root.exists("/tmp/calls") ? root.read("/tmp/calls") : "";
  ::unlink(root.at("/tmp/calls").c_str());
  return calls;
}

int sh(const std::string& command) {
  return std::system(command.c_str());
}

TEST(SystemFactory, CommandHashMatchesHandComputedBuckets) {
  struct Case {
    const char* name;
    int bucket;
  } cases[] = {{"setlang", 10},  {"setdefault", 53},  {"decode", 48}, {"hotplug", 3},
               {"oemclean", 32}, {"softversion", 18}, {"", 0},        {"a\xe9", 46}};
  for (const Case& c : cases) EXPECT_EQ(hash_cal_value(c.name), c.bucket) << c.name;
}

TEST(SystemFactory, CommandsRunInOrderAndAnswerEach) {
  InProcess& web = InProcess::instance();
  (void)web.sent();
  struct Step {
    std::string text, answer;
    std::vector<uint32_t> sent;
  } steps[] = {
      {"decode=1&hotplug=0", kText + "OK" + kText + "OK", {}},
      {"decode=2&foo=2", kText + "OK" + kText + "ERROR", {}},
      // The second value ends after the 64th character: nothing runs.
      {"decode=3&hotplug=" + std::string(50, '7'), kText + "PARAM ERROR", {}},
      {"decode=3&" + std::string(65 * 4, '='), kText + "PARAM ERROR", {}},
      {std::string(70, 'a') + "=1", kText + "PARAM ERROR", {}},
      {"softversion", kText + "7x.7.0.9", {}},
      {"tobrik", kText + "ERROR", {}},
      {"nothing", kText + "PARAM ERROR", {}},
      {"", kText + "PARAM ERROR", {}},
      {"setdefault=1", "", {}},
      {"setlang=x", kText + "PARAM ERROR", {}},
      {"setlang=2", kText + "OK", {4000}},
  };
  for (const Step& s : steps) {
    EXPECT_EQ(web.get("/vb.htm", s.text), s.answer) << s.text;
    EXPECT_EQ(types_of(web.sent()), s.sent) << s.text;
  }
  EXPECT_EQ(param("decode"), "2");
  EXPECT_EQ(param("hdmihotplug"), "0");
  (void)web.get("/vb.htm", "setlang=2");
  EXPECT_EQ(web.sent().at(0).hex, Bytes().i32(2).hex());
}

TEST(SystemFactory, OemcleanRestoresTheStandardLook) {
  InProcess& web = InProcess::instance();
  const nvrtest::TempRoot& root = web.root();
  install_standin("cp", "/bin/cp");
  install_standin("tar", "/bin/tar");
  install_standin("sync");
  root.write("/mnt/nand2/logo.jpg_bk", "standard logo");
  root.write("/mnt/nand2/gui.rcc_bk", "standard gui");
  root.write("/mnt/nand2/custom.png", "custom");
  root.mkdirs("/opt/app/bin");
  root.mkdirs("/mnt/nand/app");
  root.write("/opt/app/www/src/index.htm", "standard page");
  ASSERT_EQ(sh("tar -czf '" + root.at("/opt/app/www/web.tar.gz") + "' -C '" +
               root.at("/opt/app/www/src") + "' index.htm"),
            0);
  ASSERT_EQ(set_param_int(kStoreMain, "oem_type", 3), 0);
  (void)take_calls();

  EXPECT_EQ(web.get("/vb.htm", "oemclean"), kText + "OK");
  EXPECT_EQ(root.read("/opt/app/bin/logo.jpg"), "standard logo");
  EXPECT_EQ(root.read("/opt/app/bin/gui.rcc"), "standard gui");
  EXPECT_TRUE(root.list("/mnt/nand2").empty());
  EXPECT_EQ(root.read("/opt/app/www/index.htm"), "standard page");
  for (const char* marker : {"eraseip", "eraseuser", "eraseall"})
    EXPECT_TRUE(root.exists(std::string("/mnt/nand/app/") + marker)) << marker;
  EXPECT_EQ(param("oem_type"), "0");
  std::string calls = take_calls();
  EXPECT_NE(calls.find("cp " + root.at("/mnt/nand2/logo.jpg_bk")), std::string::npos) << calls;
  EXPECT_NE(calls.find("tar -zxf " + root.at("/opt/app/www/web.tar.gz")), std::string::npos);
  EXPECT_NE(calls.find("sync"), std::string::npos);
}

// The customisation package: zip, AES-256-CBC with the key text, Base64.
class OemPackage : public ::testing::Test {
 protected:
  const nvrtest::TempRoot& root_ = InProcess::instance().root();
  void SetUp() override {
    install_standin("unzip", "/usr/bin/unzip");
    sh("rm -rf '" + root_.at("/mnt/nand2") + "' '" + root_.at("/work") + "'");
    root_.mkdirs("/mnt/nand2");
    root_.mkdirs("/work");
    (void)take_calls();
  }
  // Encrypts the zip at work/pkg.zip as an upload in /tmp; its request text.
  std::string upload(const std::string& key = "factory-key-2026") {
    std::string hex;
    for (unsigned char c : key) {
      static const char kHex[] = "0123456789abcdef";
      hex += kHex[c >> 4];
      hex += kHex[c & 15];
    }
    hex.resize(64, '0');
    EXPECT_EQ(sh("openssl enc -aes-256-cbc -base64 -K " + hex + " -iv 0 -in '" +
                 root_.at("/work/pkg.zip") + "' -out '" + root_.at("/tmp/pkg.b64") + "'"),
              0);
    return root_.at("/tmp/pkg.b64") + " & aes=" + key;
  }
  // A zip made by Python with one hostile entry.
  void hostile_zip(const std::string& entry_code) {
    root_.write("/work/make.py", "import zipfile, sys\nz = zipfile.ZipFile(sys.argv[1], 'w')\n" +
                                     entry_code + "\nz.close()\n");
    ASSERT_EQ(sh("python3 '" + root_.at("/work/make.py") + "' '" + root_.at("/work/pkg.zip") + "'"),
              0);
  }
};

TEST_F(OemPackage, APackageUnpacksIntoTheCustomisationFolder) {
  InProcess& web = InProcess::instance();
  root_.write("/work/logo.jpg", "oem logo");
  root_.write("/work/web/index.htm", "oem page");
  ASSERT_EQ(sh("cd '" + root_.at("/work") + "' && zip -qr pkg.zip logo.jpg web"), 0);
  EXPECT_EQ(web.get("/oem", upload()), kText + "OK");
  EXPECT_EQ(root_.read("/mnt/nand2/logo.jpg"), "oem logo");
  EXPECT_EQ(root_.read("/mnt/nand2/web/index.htm"), "oem page");
  EXPECT_TRUE(root_.exists("/mnt/nand2/oem_upload"));
  EXPECT_FALSE(root_.exists("/tmp/pkg.b64"));
  for (const std::string& name : root_.list("/tmp")) EXPECT_NE(name.rfind("oem", 0), 0u) << name;
  EXPECT_NE(take_calls().find("unzip -qq -o"), std::string::npos);
}

TEST_F(OemPackage, HostileOrUnreadablePackagesChangeNothing) {
  InProcess& web = InProcess::instance();
  const char* entries[] = {
      "z.writestr('/abs.txt', 'x')",
      "z.writestr('web/../../evil.txt', 'x')",
      "i = zipfile.ZipInfo('link')\ni.create_system = 3\ni.external_attr = 0o120777 << 16\n"
      "z.writestr(i, '/etc/passwd')",
  };
  for (const char* entry : entries) {
    hostile_zip(entry);
    EXPECT_EQ(web.get("/oem", upload()), kText + "ERROR") << entry;
    EXPECT_TRUE(root_.list("/mnt/nand2").empty()) << entry;
  }
  hostile_zip("z.writestr('logo.jpg', 'x')");
  std::string good = upload();
  std::string wrong_key = good.substr(0, good.find(" & ")) + " & aes=another-key";
  EXPECT_EQ(web.get("/oem", wrong_key), kText + "ERROR");
  EXPECT_EQ(web.get("/oem", good.substr(0, good.find(" & "))), kText + "ERROR");
  // A body naming a file outside /tmp in place of an upload.
  EXPECT_EQ(web.post("/oem", root_.at("/work/pkg.zip") + " & aes=k"), kText + "ERROR");
  EXPECT_TRUE(root_.exists("/work/pkg.zip"));
  root_.write("/tmp/pkg.b64", "not base64 at all!");
  EXPECT_EQ(web.get("/oem", good), kText + "ERROR");
  EXPECT_TRUE(root_.list("/mnt/nand2").empty());
  EXPECT_EQ(take_calls(), "");
}

TEST(SystemFactory, ZipDirectoryChecksRefuseCutArchives) {
  std::vector<unsigned char> empty = {0x50, 0x4b, 0x05, 0x06};
  empty.resize(22, 0);
  EXPECT_TRUE(zip_entries_are_safe(empty.data(), empty.size()));
  // Claims one entry whose directory lies past the end record.
  std::vector<unsigned char> cut = empty;
  cut[8] = cut[10] = 1;
  cut[12] = 46;
  EXPECT_FALSE(zip_entries_are_safe(cut.data(), cut.size()));
  EXPECT_FALSE(zip_entries_are_safe(empty.data(), 10));
}

TEST(SystemAudioFiles, UploadAddDeleteRenameAndPlay) {
  InProcess& web = InProcess::instance();
  const nvrtest::TempRoot& root = web.root();
  (void)web.sent();
  root.write("/tmp/tone.mp3", "mp3");
  root.write("/tmp/other.wav", "someone else's upload");
  EXPECT_EQ(web.post("/6321", root.at("/tmp/tone.mp3")), kText + "CGI ERROR status:[-1], data:[]");
  EXPECT_FALSE(root.exists("/tmp/tone.mp3"));
  root.write("/tmp/ring.wav", "RIFF");
  EXPECT_EQ(web.post("/6321", root.at("/tmp/ring.wav")),
            kText + "CGI OK status:[0], data:[cmluZy53YXY]");
  EXPECT_EQ(root.read("/tmp/cmluZy53YXY"), "RIFF");
  EXPECT_EQ(root.read("/tmp/other.wav"), "someone else's upload");
  EXPECT_EQ(web.post("/6321", "/etc/passwd"), kText + "CGI ERROR status:[-1], data:[]");

  for (const char* body :
       {R"({"uploadName":"../other.wav","name":"x"})", R"({"uploadName":"a/b","name":"x"})",
        R"({"uploadName":"..","name":"x"})", R"({"uploadName":"missing.wav","name":"x"})",
        "not json", R"({"idMask":1024})"}) {
    EXPECT_EQ(web.post(body[2] == 'i' ? "/6323" : "/6322", body), kJson + "{status:\"CGI ERROR\"}")
        << body;
  }
  EXPECT_TRUE(web.sent().empty());
  EXPECT_EQ(root.read("/tmp/other.wav"), "someone else's upload");

  EXPECT_EQ(web.post("/6322", R"({"uploadName":"cmluZy53YXY","name":"Bell"})"),
            kJson + R"({"status":0})");
  EXPECT_EQ(root.read("/tmp/QmVsbA"), "RIFF");
  auto sent = web.sent();
  ASSERT_EQ(types_of(sent), (std::vector<uint32_t>{4013, 3485}));
  EXPECT_EQ(sent[0].hex, Bytes().text("QmVsbA", 128).hex());
  EXPECT_EQ(nvrtest::log_record(sent[1]).paramType, 925);

  EXPECT_EQ(web.post("/6323", R"({"idMask":3})"), kJson + R"({"status":0})");
  sent = web.sent();
  ASSERT_EQ(types_of(sent), (std::vector<uint32_t>{4014, 3485}));
  EXPECT_EQ(sent[0].hex, Bytes().i32(3).hex());

  EXPECT_EQ(web.post("/6324", R"({"id":2,"name":"Bell"})"), kJson + R"({"status":0})");
  sent = web.sent();
  ASSERT_EQ(types_of(sent), (std::vector<uint32_t>{4015, 3485}));
  EXPECT_EQ(sent[0].hex, Bytes().i32(2).i32(1).text("QmVsbA", 128).hex());
  EXPECT_EQ(web.post("/6324", R"({"id":10,"name":"Bell"})"), kJson + "{status:\"CGI ERROR\"}");

  EXPECT_EQ(web.post("/6325", R"({"id":1})"), kJson + R"({"status":0})");
  sent = web.sent();
  ASSERT_EQ(types_of(sent), (std::vector<uint32_t>{4016}));
  EXPECT_EQ(sent[0].hex, Bytes().i32(1).hex());

  nvrtest::JsonTree list(web.get("/6320").substr(kJson.size()));
  EXPECT_EQ(list.text("audioFileList"), R"([{"id":0,"enable":1,"name":"Door chime.wav"},)"
                                        R"({"id":1,"enable":1,"name":"Siren.wav"}])");
  EXPECT_EQ(list.text("status"), "0");
}

TEST(SystemDiagnosis, ExportAnswersThePathAndDownloadServesOnlyTmpFiles) {
  InProcess& web = InProcess::instance();
  const nvrtest::TempRoot& root = web.root();
  (void)web.sent();
  root.write("/tmp/tmp_diagnostic", "");
  EXPECT_EQ(web.get("/6310"), kText + "Failed");
  EXPECT_TRUE(web.sent().empty());
  ::unlink(root.at("/tmp/tmp_diagnostic").c_str());
  EXPECT_EQ(web.get("/6310"), kText + "OK//tmp/diagnosis_NV32A2K2406001234.tar.gz\r\n");
  auto sent = web.sent();
  ASSERT_EQ(types_of(sent), (std::vector<uint32_t>{3528}));
  EXPECT_EQ(sent[0].hex, Bytes().text("/tmp", 64).hex());

  root.write("/secret", "keep");
  root.mkdirs("/tmp/sub");
  ASSERT_EQ(::symlink(root.at("/secret").c_str(), root.at("/tmp/link").c_str()), 0);
  for (const char* path : {"/secret", "/tmp/../secret", "%2Ftmp%2F..%2Fsecret", "/tmp/link",
                           "/tmp/sub", "/tmp/none", ""})
    EXPECT_EQ(web.get("/6311", path), "") << path;
  EXPECT_EQ(root.read("/secret"), "keep");
  EXPECT_TRUE(root.exists("/tmp/link"));

  root.write("/tmp/diag 1.tar.gz", "PACKAGE");
  EXPECT_EQ(web.get("/6311", "%2Ftmp%2Fdiag%201.tar.gz"),
            "Content-Type:application/octet-stream\r\n"
            "Content-Disposition: attachment; filename= diag 1.tar.gz\r\n\r\nPACKAGE");
  EXPECT_FALSE(root.exists("/tmp/diag 1.tar.gz"));
}

TEST(SystemPageTexts, BlocksBetweenMarkersAndRefusedNames) {
  InProcess& web = InProcess::instance();
  web.root().write("/opt/app/www/webfile/json/en.json",
                   "x\n{//live.json\n\"a\": \"Live\",\n\"b\": \"Stop\"\n}//live.json\n"
                   "{//setup=net.json\n\"c\": \"Network\"\n}//setup=net.json\n");
  struct Case {
    const char* query;
    std::string answer;
  } cases[] = {
      {"lang=en&page=live", kJson + "{\n\"a\": \"Live\",\n\"b\": \"Stop\"\n\n}"},
      {"lang=en&page=setup&sub=net", kJson + "{\n\"c\": \"Network\"\n\n}"},
      {"lang=en&page=none", kJson},
      {"lang=en", kText + "ERROR PAGE."},
      {"lang=fr&page=live", kText + "ERROR LANG."},
      {"lang=../../opt/app/www/webfile/json/en&page=live", kText + "ERROR LANG."},
      {"lang=en%2F..&page=live", kText + "ERROR LANG."},
  };
  for (const Case& c : cases) EXPECT_EQ(web.get("/json", c.query), c.answer) << c.query;
}

std::string camera_ip(int id) {
  CameraRecord camera;
  EXPECT_EQ(store_read(kStoreMain, id, &camera), 0);
  return camera.ipaddr;
}

TEST(SystemCameraBatch, AddressesPerChannelWithinOctetAndChannelLimits) {
  InProcess& web = InProcess::instance();
  EXPECT_EQ(web.post("/ipc", R"({"startip":"192.168.1.10","chnNum":2,"chnFre":2})"), kText + "OK");
  EXPECT_EQ(camera_ip(0), "192.168.1.10");
  EXPECT_EQ(camera_ip(1), "192.168.1.10");
  EXPECT_EQ(camera_ip(2), "192.168.1.11");
  EXPECT_EQ(camera_ip(3), "192.168.1.11");

  EXPECT_EQ(web.post("/ipc", R"({"startip":"10.0.0.254","chnNum":5,"chnFre":1})"), kText + "OK");
  EXPECT_EQ(camera_ip(1), "10.0.0.255");
  EXPECT_EQ(camera_ip(2), "192.168.1.11");  // the octet stops at 255

  for (const char* body :
       {R"({"startip":"10.0.0.1","chnNum":2,"chnFre":0})",
        R"({"startip":"10.0.0.300","chnNum":2,"chnFre":1})", R"({"startip":"10.0.0.1"})"})
    EXPECT_EQ(web.post("/ipc", body), kText + "CGI ERROR") << body;

  ASSERT_EQ(set_param_int(kStoreMain, "max_cameras", 100), 0);
  EXPECT_EQ(web.post("/ipc", R"({"startip":"172.16.0.1","chnNum":200,"chnFre":1})"), kText + "OK");
  EXPECT_EQ(camera_ip(63), "172.16.0.64");
  ASSERT_EQ(set_param_int(kStoreMain, "max_cameras", 32), 0);
}

TEST(SystemSmallRequests, FlagsUpnpAndTheRefusedDownload) {
  InProcess& web = InProcess::instance();
  ASSERT_EQ(set_param_int(kStoreMain, "dvfs_dbup", 1), 0);
  ASSERT_EQ(set_param_int(kStoreMain, "permission_update", 1), 0);
  EXPECT_EQ(web.get("/1023"), kText + "OK");
  EXPECT_EQ(web.get("/1024"), kText + "OK");
  EXPECT_EQ(param("dvfs_dbup"), "0");
  EXPECT_EQ(param("permission_update"), "0");
  EXPECT_EQ(web.get("/dw.cgi"), kText + "NG download");

  (void)web.sent();
  EXPECT_EQ(web.post("/1031", R"({"enable":1,"type":2,"external_http_port":8080})"), kText + "OK");
  auto sent = web.sent();
  ASSERT_EQ(types_of(sent), (std::vector<uint32_t>{3720}));
  EXPECT_EQ(sent[0].hex, Bytes().i32(1).i32(2).i32(8080).i32(0).i32(0).i32(0).zeros(128).hex());
  EXPECT_EQ(web.post("/1031", R"({"enable":3})"), "");
  EXPECT_TRUE(web.sent().empty());
  nvrtest::JsonTree upnp(web.get("/1030").substr(kJson.size()));
  EXPECT_EQ(upnp.text("http_port"), "80");
  EXPECT_EQ(upnp.text("rtsp_port"), "554");
  EXPECT_EQ(upnp.text("rtsp_status"), "0");
}

}  // namespace
