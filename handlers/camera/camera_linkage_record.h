// Store records of the camera feature pages kept on the recorder: people counting groups,
// POS sources, the people counting report auto-backup, and the event actions that people
// counting, POS and face capture set off (one record layout, one table per kind, through
// the generic event linkage). Also the face capture record the core passes to the camera.
//
// Store names chosen for these records: "peoplecnt_settings" (groups 0 to 8),
// "peoplecnt_auto_backup" (reports 0 to 3), "pos_settings" (sources 0 to 7), and the action
// tables "peoplecnt_event", "pos_event", "face_event"; the schedules of each kind are named
// in camera_linkage_record.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "event_linkage.h"
#include "field_table.h"
#include "kind_store.h"
#include "linkage.h"

inline constexpr int kPeopleCountGroups = 9;
inline constexpr int kPosSources = 8;
inline constexpr int kReportBackups = 4;
inline constexpr int kFaceChannels = 16;

inline constexpr int kPtzEventPos = 21;
inline constexpr int kPtzEventFace = 26;

// ---- People counting groups ------------------------------------------------------------

struct PeopleCountGroup {
  int32_t groupid;
  int32_t enable;
  int32_t stays;
  int32_t liveview_auto_reset;
  int32_t auto_day;
  int32_t liveview_font_size;
  char name[64];
  char auto_day_time[64];
  char tri_channels[65];
  char liveview_green_tips[128];
  char liveview_red_tips[128];
  char reserved[3];
};
static_assert(sizeof(PeopleCountGroup) == 476);
static_assert(std::is_trivially_copyable_v<PeopleCountGroup>);

inline constexpr FieldDesc kPeopleCountGroupFields[] = {
    NVR_FIELD(PeopleCountGroup, groupid, "groupid"),
    NVR_FIELD(PeopleCountGroup, enable, "enable"),
    NVR_FIELD(PeopleCountGroup, stays, "stays"),
    NVR_FIELD(PeopleCountGroup, liveview_auto_reset, "liveview_auto_reset"),
    NVR_FIELD(PeopleCountGroup, auto_day, "auto_day"),
    NVR_FIELD(PeopleCountGroup, liveview_font_size, "liveview_font_size"),
    NVR_FIELD(PeopleCountGroup, name, "name"),
    NVR_FIELD(PeopleCountGroup, auto_day_time, "auto_day_time"),
    NVR_FIELD(PeopleCountGroup, tri_channels, "tri_channels"),
    NVR_FIELD(PeopleCountGroup, liveview_green_tips, "liveview_green_tips"),
    NVR_FIELD(PeopleCountGroup, liveview_red_tips, "liveview_red_tips"),
    NVR_FIELD(PeopleCountGroup, reserved, nullptr),
};
inline constexpr RecordKind kPeopleCountGroupKind{
    .name = "peoplecnt_settings",
    NVR_KIND_FIELDS(PeopleCountGroup, kPeopleCountGroupFields),
    .key = {"groupid", 0, kPeopleCountGroups - 1},
    .list_every_slot = true};
static_assert(record_kind_is_valid(kPeopleCountGroupKind));
NVR_STORE_KIND(PeopleCountGroup, kPeopleCountGroupKind);

// ---- POS sources -------------------------------------------------------------------------

struct PosSetting {
  int32_t id;
  int32_t enable;
  char name[32];
  int32_t protocol;
  int32_t connectionMode;
  char ip[64];
  int32_t liveviewDisplay;
  int32_t displayChannel;
  int32_t startX;
  int32_t startY;
  int32_t areaWidth;
  int32_t areaHeight;
  int32_t characterEncodeing;
  int32_t fontSize;
  int32_t fontColor;
  int32_t overlayMode;
  int32_t displayTime;
  int32_t timeout;
  char privacy1[64];
  char privacy2[64];
  char privacy3[64];
  int32_t port;
  int32_t nvrPort;
  int32_t clearTime;
};
static_assert(sizeof(PosSetting) == 364);
static_assert(std::is_trivially_copyable_v<PosSetting>);

inline constexpr FieldDesc kPosSettingFields[] = {
    NVR_FIELD(PosSetting, id, "id"),
    NVR_FIELD(PosSetting, enable, "enable"),
    NVR_FIELD(PosSetting, name, "name"),
    NVR_FIELD(PosSetting, protocol, "protocol"),
    NVR_FIELD(PosSetting, connectionMode, "connectionMode"),
    NVR_FIELD(PosSetting, ip, "ip"),
    NVR_FIELD(PosSetting, liveviewDisplay, "liveviewDisplay"),
    NVR_FIELD(PosSetting, displayChannel, "displayChannel"),
    NVR_FIELD(PosSetting, startX, "startX"),
    NVR_FIELD(PosSetting, startY, "startY"),
    NVR_FIELD(PosSetting, areaWidth, "areaWidth"),
    NVR_FIELD(PosSetting, areaHeight, "areaHeight"),
    NVR_FIELD(PosSetting, characterEncodeing, "characterEncodeing"),
    NVR_FIELD(PosSetting, fontSize, "fontSize"),
    NVR_FIELD(PosSetting, fontColor, "fontColor"),
    NVR_FIELD(PosSetting, overlayMode, "overlayMode"),
    NVR_FIELD(PosSetting, displayTime, "displayTime"),
    NVR_FIELD(PosSetting, timeout, "timeout"),
    NVR_FIELD(PosSetting, privacy1, "privacy1"),
    NVR_FIELD(PosSetting, privacy2, "privacy2"),
    NVR_FIELD(PosSetting, privacy3, "privacy3"),
    NVR_FIELD(PosSetting, port, "port"),
    NVR_FIELD(PosSetting, nvrPort, "nvrPort"),
    NVR_FIELD(PosSetting, clearTime, "clearTime"),
};
inline constexpr RecordKind kPosSettingKind{.name = "pos_settings",
                                            NVR_KIND_FIELDS(PosSetting, kPosSettingFields),
                                            .key = {"id", 0, kPosSources - 1},
                                            .list_every_slot = true};
static_assert(record_kind_is_valid(kPosSettingKind));
NVR_STORE_KIND(PosSetting, kPosSettingKind);

// ---- People counting report auto-backup ----------------------------------------------------

struct ReportBackup {
  int32_t slot;  // 0 to 3, the report's place in the page's list
  int32_t reportType;
  int32_t enable;
  char triChannels[65];
  char triGroups[17];
  char reserved[2];
  int32_t stayLengthType;
  int32_t stayLengthValue;
  int32_t backupDay;
  char backupTime[32];
  int32_t fileFormat;
  int32_t timeRange;
  int32_t backupTo;
  int32_t lineMask;
};
static_assert(sizeof(ReportBackup) == 156);
static_assert(std::is_trivially_copyable_v<ReportBackup>);

inline constexpr FieldDesc kReportBackupFields[] = {
    NVR_FIELD(ReportBackup, slot, nullptr),
    NVR_FIELD(ReportBackup, reportType, "reportType"),
    NVR_FIELD(ReportBackup, enable, "enable"),
    NVR_FIELD(ReportBackup, triChannels, "triChannels"),
    NVR_FIELD(ReportBackup, triGroups, "triGroups"),
    NVR_FIELD(ReportBackup, reserved, nullptr),
    NVR_FIELD(ReportBackup, stayLengthType, "stayLengthType"),
    NVR_FIELD(ReportBackup, stayLengthValue, "stayLengthValue"),
    NVR_FIELD(ReportBackup, backupDay, "backupDay"),
    NVR_FIELD(ReportBackup, backupTime, "backupTime"),
    NVR_FIELD(ReportBackup, fileFormat, "fileFormat"),
    NVR_FIELD(ReportBackup, timeRange, "timeRange"),
    NVR_FIELD(ReportBackup, backupTo, "backupTo"),
    NVR_FIELD(ReportBackup, lineMask, "lineMask"),
};
inline constexpr RecordKind kReportBackupKind{.name = "peoplecnt_auto_backup",
                                              NVR_KIND_FIELDS(ReportBackup, kReportBackupFields),
                                              .key = {"slot", 0, kReportBackups - 1},
                                              .list_every_slot = true};
static_assert(record_kind_is_valid(kReportBackupKind));
NVR_STORE_KIND(ReportBackup, kReportBackupKind);

// ---- Event actions of people counting, POS and face capture --------------------------------
// One layout, stored per kind in its own table (the linkage descriptions name it), keyed
// by the group, source or channel.

struct FeatureEventRecord {
  int32_t chnid;
  int32_t triAlarms;
  int32_t interval;
  int32_t audioId;
  int32_t email_interval;
  int32_t email_pic_enable;
  char tri_channels_pic[65];
  char triChannels[65];
  char tri_chn_alarm0[65];  // camera alarm-output selection, texts 0 and 1
  char tri_chn_alarm1[65];
  uint32_t trigger_mask;  // bit i: character i (0 to 31) of triChannels is "1"
  int32_t ptz_interval;
  int32_t alarmout_interval;
  int32_t white_interval;
  int32_t http_notification_interval;
};
static_assert(sizeof(FeatureEventRecord) == 304);
static_assert(std::is_trivially_copyable_v<FeatureEventRecord>);

inline constexpr FieldDesc kFeatureEventFields[] = {
    NVR_FIELD(FeatureEventRecord, chnid, "chnid"),
    NVR_FIELD(FeatureEventRecord, triAlarms, "triAlarms"),
    NVR_FIELD(FeatureEventRecord, interval, "interval"),
    NVR_FIELD(FeatureEventRecord, audioId, "audioId"),
    NVR_FIELD(FeatureEventRecord, email_interval, "email_interval"),
    NVR_FIELD(FeatureEventRecord, email_pic_enable, "email_pic_enable"),
    NVR_FIELD(FeatureEventRecord, tri_channels_pic, "tri_channels_pic"),
    NVR_FIELD(FeatureEventRecord, triChannels, "triChannels"),
    NVR_FIELD(FeatureEventRecord, tri_chn_alarm0, nullptr),
    NVR_FIELD(FeatureEventRecord, tri_chn_alarm1, nullptr),
    NVR_FIELD(FeatureEventRecord, trigger_mask, nullptr),
    NVR_FIELD(FeatureEventRecord, ptz_interval, "ptz_interval"),
    NVR_FIELD(FeatureEventRecord, alarmout_interval, "alarmout_interval"),
    NVR_FIELD(FeatureEventRecord, white_interval, "white_interval"),
    NVR_FIELD(FeatureEventRecord, http_notification_interval, "http_notification_interval"),
};
inline constexpr RecordKind kFeatureEventKind{
    .name = "feature_event",
    NVR_KIND_FIELDS(FeatureEventRecord, kFeatureEventFields),
    .key = {"chnid", 0, 63}};
static_assert(record_kind_is_valid(kFeatureEventKind));

extern const EventLinkageDesc kPeopleCountLinkage;  // groups 0 to 8, PTZ event type 20
extern const EventLinkageDesc kPosLinkage;          // sources 0 to 7, PTZ event type 21
extern const EventLinkageDesc kFaceLinkage;         // channels 0 to 15, PTZ event type 26

// ---- Face capture record (3381, to the camera) ---------------------------------------------

struct FaceShield {
  int32_t enable;
  unsigned char reserved[64];
  char polygonX[64];
  char polygonY[64];
};
static_assert(sizeof(FaceShield) == 196);

inline constexpr FieldDesc kFaceShieldFields[] = {
    NVR_FIELD(FaceShield, enable, "enable"),
    NVR_FIELD(FaceShield, reserved, nullptr),
    NVR_FIELD(FaceShield, polygonX, "polygonX"),
    NVR_FIELD(FaceShield, polygonY, "polygonY"),
};
inline constexpr RecordKind kFaceShieldKind{.name = "face_shield",
                                            NVR_KIND_FIELDS(FaceShield, kFaceShieldFields)};

inline constexpr int kFaceShields = 4;
inline constexpr int kFaceCaptureModes = 3;

struct FaceConfig {
  int32_t reserved0;
  int32_t chnId;
  unsigned char reserved1[132];
  int32_t enable;
  int32_t width;
  int32_t height;
  int32_t minPixel;
  int32_t captureMode;
  int32_t captureQuality[kFaceCaptureModes];  // of "captureModeArray"
  int32_t snapshotType;
  int32_t snapshotInterval;
  int32_t snapshotBackground;
  int32_t poseYaw;
  int32_t poseRoll;
  int32_t posePitch;
  int32_t blurLimit;
  unsigned char reserved2[80];
  char detection_polygonX[64];
  char detection_polygonY[64];
  int32_t uploadEnable;
  int32_t uploadFileType;
  int32_t nasEnable;
  int32_t nasFileType;
  int32_t emailEnable;
  int32_t emailFileType;
  int32_t httpEnable;
  int32_t httpNotifyInterval;
  char httpUrl[128];
  char httpUser[64];
  char httpPassword[64];
  int32_t snapshot[kFaceCaptureModes];  // of "captureModeArray"
  int32_t recordSeconds;
  int32_t prerecordSeconds;
  int32_t postEnable;
  int32_t postType;
  unsigned char reserved3[80];
  FaceShield shield[kFaceShields];
  int32_t attributeEnable;
  int32_t attributeType;
  int32_t mosaicEnable;
  int32_t mosaicModeStatus;
  int32_t mutuallyExclusive;
  unsigned char reserved4[12];
};
static_assert(sizeof(FaceConfig) == 1620);
static_assert(offsetof(FaceConfig, chnId) == 4);
static_assert(offsetof(FaceConfig, enable) == 140);
static_assert(offsetof(FaceConfig, captureQuality) == 160);
static_assert(offsetof(FaceConfig, snapshotType) == 172);
static_assert(offsetof(FaceConfig, poseYaw) == 184);
static_assert(offsetof(FaceConfig, reserved2) == 200);
static_assert(offsetof(FaceConfig, detection_polygonX) == 280);
static_assert(offsetof(FaceConfig, detection_polygonY) == 344);
static_assert(offsetof(FaceConfig, uploadEnable) == 408);
static_assert(offsetof(FaceConfig, httpUrl) == 440);
static_assert(offsetof(FaceConfig, httpUser) == 568);
static_assert(offsetof(FaceConfig, httpPassword) == 632);
static_assert(offsetof(FaceConfig, snapshot) == 696);
static_assert(offsetof(FaceConfig, recordSeconds) == 708);
static_assert(offsetof(FaceConfig, shield) == 804);
static_assert(offsetof(FaceConfig, attributeEnable) == 1588);
static_assert(offsetof(FaceConfig, mutuallyExclusive) == 1604);
static_assert(std::is_trivially_copyable_v<FaceConfig>);

// The keys the page sends; "captureModeArray" is split over two arrays and read by hand.
inline constexpr FieldDesc kFaceConfigFields[] = {
    NVR_FIELD(FaceConfig, chnId, "chnId"),
    NVR_FIELD(FaceConfig, enable, "enable"),
    NVR_FIELD(FaceConfig, width, "width"),
    NVR_FIELD(FaceConfig, height, "height"),
    NVR_FIELD(FaceConfig, minPixel, "minPixel"),
    NVR_FIELD(FaceConfig, captureMode, "captureMode"),
    NVR_FIELD(FaceConfig, snapshotType, "snapshotType"),
    NVR_FIELD(FaceConfig, snapshotInterval, "snapshotInterval"),
    NVR_FIELD(FaceConfig, snapshotBackground, "snapshotBackground"),
    NVR_FIELD(FaceConfig, poseYaw, "poseYaw"),
    NVR_FIELD(FaceConfig, poseRoll, "poseRoll"),
    NVR_FIELD(FaceConfig, posePitch, "posePitch"),
    NVR_FIELD(FaceConfig, blurLimit, "blurLimit"),
    NVR_FIELD(FaceConfig, detection_polygonX, "detection_polygonX"),
    NVR_FIELD(FaceConfig, detection_polygonY, "detection_polygonY"),
    NVR_FIELD(FaceConfig, uploadEnable, "uploadEnable"),
    NVR_FIELD(FaceConfig, uploadFileType, "uploadFileType"),
    NVR_FIELD(FaceConfig, nasEnable, "nasEnable"),
    NVR_FIELD(FaceConfig, nasFileType, "nasFileType"),
    NVR_FIELD(FaceConfig, emailEnable, "emailEnable"),
    NVR_FIELD(FaceConfig, emailFileType, "emailFileType"),
    NVR_FIELD(FaceConfig, httpEnable, "httpEnable"),
    NVR_FIELD(FaceConfig, httpNotifyInterval, "httpNotifyInterval"),
    NVR_FIELD(FaceConfig, httpUrl, "httpUrl"),
    NVR_FIELD(FaceConfig, httpUser, "httpUser"),
    NVR_FIELD(FaceConfig, httpPassword, "httpPassword"),
    NVR_FIELD(FaceConfig, recordSeconds, "recordSeconds"),
    NVR_FIELD(FaceConfig, prerecordSeconds, "prerecordSeconds"),
    NVR_FIELD(FaceConfig, postEnable, "postEnable"),
    NVR_FIELD(FaceConfig, postType, "postType"),
    NVR_FIELD(FaceConfig, attributeEnable, "attributeEnable"),
    NVR_FIELD(FaceConfig, attributeType, "attributeType"),
    NVR_FIELD(FaceConfig, mosaicEnable, "mosaicEnable"),
    NVR_FIELD(FaceConfig, mosaicModeStatus, "mosaicModeStatus"),
    NVR_FIELD(FaceConfig, mutuallyExclusive, "mutuallyExclusive"),
    NVR_NESTED(FaceConfig, shield, "shield", kFaceShieldKind),
};
inline constexpr RecordKind kFaceConfigKind{.name = "face_config",
                                            NVR_KIND_FIELDS(FaceConfig, kFaceConfigFields)};
static_assert(record_kind_is_valid(kFaceConfigKind));
