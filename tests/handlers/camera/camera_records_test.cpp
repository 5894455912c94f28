// The camera module's record kinds on the test's private store: factory defaults, key
// ranges, the columns other modules rely on, and the camera catalogue.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "camera/camera_record.h"
#include "camera/ipc_catalog_record.h"
#include "camera/osd_record.h"
#include "camera/privacy_mask_record.h"

namespace {

TEST(CameraRecord, NeverWrittenChannelsReadAsDisabledWithStandardPorts) {
  CameraRecord cam;
  ASSERT_EQ(store_read(kStoreMain, 12, &cam), 0);
  EXPECT_EQ(cam.id, 12);
  EXPECT_EQ(cam.enable, 0);
  EXPECT_EQ(cam.manage_port, 80);
  EXPECT_EQ(cam.main_rtsp_port, 554);
  EXPECT_EQ(cam.sub_rtsp_port, 554);
  EXPECT_EQ(cam.https_port, 443);
  EXPECT_STREQ(cam.ipaddr, "");
}

TEST(CameraRecord, OnlyChannelsZeroToSixtyThreeAreStored) {
  CameraRecord cam;
  EXPECT_EQ(store_read(kStoreMain, 64, &cam), -1);
  EXPECT_EQ(store_read(kStoreMain, -1, &cam), -1);
  ASSERT_EQ(store_read(kStoreMain, 63, &cam), 0);
  std::snprintf(cam.ipaddr, sizeof cam.ipaddr, "10.9.9.9");
  cam.id = 64;
  EXPECT_EQ(store_write(kStoreMain, cam), -1);
  cam.id = 63;
  EXPECT_EQ(store_write(kStoreMain, cam), 0);
  std::vector<CameraRecord> all(kMaxChannels);
  int count = 0;
  ASSERT_EQ(store_list(kStoreMain, std::span(all.data(), kMaxChannels), &count), 0);
  EXPECT_EQ(count, kMaxChannels);
  EXPECT_STREQ(all[63].ipaddr, "10.9.9.9");
}

TEST(CameraRecord, ColumnsReadByTheRecordingPages) {
  // Recording settings copy these two columns by name across channels.
  for (const char* column : {"record_stream", "anr", "enable", "model", "poechannel"})
    EXPECT_NE(record_find_field(kCameraKind, column), nullptr) << column;
  EXPECT_EQ(std::strcmp(kCameraKind.name, "camera"), 0);
}

TEST(OsdRecord, ChannelNamesDefaultToCamAndTheirNumber) {
  OsdRecord osd;
  ASSERT_EQ(store_read(kStoreMain, 0, &osd), 0);
  EXPECT_STREQ(osd.name, "CAM1");
  ASSERT_EQ(store_read(kStoreMain, 63, &osd), 0);
  EXPECT_STREQ(osd.name, "CAM64");
  EXPECT_EQ(store_read(kStoreMain, 64, &osd), -1);

  std::memset(osd.name, 'x', sizeof osd.name);  // no terminating NUL in memory
  osd.channel = 9;
  ASSERT_EQ(store_write(kStoreMain, osd), 0);
  char name[8];
  ASSERT_EQ(read_osd_name(kStoreMain, 9, name, sizeof name), 0);
  EXPECT_STREQ(name, "xxxxxxx");
  EXPECT_EQ(read_osd_name(kStoreMain, 70, name, sizeof name), -1);
  EXPECT_STREQ(name, "");
}

TEST(PrivacyMaskRecord, ListsOnlyStoredChannels) {
  PrivacyMaskRecord rec{};
  rec.id = 20;
  rec.area[23].enable = 1;
  ASSERT_EQ(write_privacy_mask(kStoreMain, &rec), 0);
  bool stored = false;
  PrivacyMaskRecord back;
  ASSERT_EQ(read_privacy_mask(kStoreMain, &back, 21, &stored), 0);
  EXPECT_FALSE(stored);
  ASSERT_EQ(read_privacy_mask(kStoreMain, &back, 20, &stored), 0);
  EXPECT_TRUE(stored);
  EXPECT_EQ(back.area[23].enable, 1);
  std::vector<PrivacyMaskRecord> all(kMaxChannels);
  int count = 0;
  ASSERT_EQ(read_privacy_masks(kStoreMain, all.data(), kMaxChannels, &count), 0);
  ASSERT_EQ(count, 1);
  EXPECT_EQ(all[0].id, 20);
}

TEST(IpcCatalogue, FactoryEntriesFillOnlyWhatIsMissing) {
  IpcProtocolRecord changed{1, "RTSP-custom", 3, 0, 1};
  ASSERT_EQ(write_ipc_protocol(kStoreMain, &changed), 0);
  ASSERT_EQ(write_factory_ipc_catalogue(kStoreMain), 0);
  ASSERT_EQ(write_factory_ipc_catalogue(kStoreMain), 0);
  std::vector<IpcProtocolRecord> protocols(kMaxIpcProtocols);
  int count = 0;
  ASSERT_EQ(read_ipc_protocols(kStoreMain, protocols.data(), kMaxIpcProtocols, &count), 0);
  ASSERT_EQ(count, 3);
  EXPECT_STREQ(protocols[0].name, "ONVIF");
  EXPECT_STREQ(protocols[1].name, "RTSP-custom");
  EXPECT_EQ(protocols[1].enable, 0);
  EXPECT_STREQ(protocols[2].name, "DVSF");

  IpcModelRecord model;
  ASSERT_EQ(read_ipc_model(kStoreMain, &model, 2), 0);
  EXPECT_EQ(model.protocol, kIpcProtocolOwn);
  EXPECT_EQ(read_ipc_model(kStoreMain, &model, kMaxIpcModels), -1);
}

TEST(IpcCatalogue, ModelsOfOneProtocolWithinTheCapacity) {
  for (int id : {100, 101, 102, 103}) {
    IpcModelRecord m{id, id == 101 ? 6 : 5, "m", 0, 0};
    ASSERT_EQ(write_ipc_model(kStoreMain, &m), 0);
  }
  IpcModelRecord found[2];
  int count = -1;
  ASSERT_EQ(read_ipc_models_by_protocol(kStoreMain, 5, found, 2, &count), 0);
  ASSERT_EQ(count, 2);
  EXPECT_EQ(found[0].id, 100);
  EXPECT_EQ(found[1].id, 102);
  ASSERT_EQ(read_ipc_models_by_protocol(kStoreMain, 6, found, 2, &count), 0);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(read_ipc_models_by_protocol(kStoreMain, 6, nullptr, 2, &count), -1);
}

}  // namespace
