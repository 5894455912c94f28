// Core messages of the camera stream and image pages: stream settings, image enhancement
// and display records, common parameters, image-mode tables, detection areas and the three
// day schedules kept by the camera. Native little-endian, fixed layouts; texts are
// NUL-terminated in fixed fields that an answer may fill to the end.
//
// Each layout is declared once with its field table: the JSON keys of the tables are those
// the getters answer; requests that name fields otherwise (the written form of a record,
// the batch stream change) take them through a pick.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "field_table.h"
#include "linkage.h"

// ---- Message types ------------------------------------------------------------------------

inline constexpr int kReqStreamChange = 3203;
inline constexpr int kReqStreamQuery = 3204;
inline constexpr int kReqEnhancementQuery = 3221;
inline constexpr int kReqDisplayQuery = 3223;
inline constexpr int kReqDisplayChange = 3224;
inline constexpr int kReqCommonParamQuery = 3225;
inline constexpr int kReqCommonParamChange = 3226;
inline constexpr int kReqAreaQuery = 3271;
inline constexpr int kReqScheduleQuery = 3273;
inline constexpr int kReqExposureScheduleQuery = 3275;
inline constexpr int kReqSchedule3Query = 3277;
inline constexpr int kReqImageModeQuery = 3278;
inline constexpr int kReqImageModeChange = 3279;
inline constexpr int kReqEnhancementChange = 3280;
inline constexpr int kReqScheduleChange = 3281;
inline constexpr int kReqExposureScheduleChange = 3282;
inline constexpr int kReqSchedule3Change = 3283;
inline constexpr int kReqAreaSelect = 3284;
inline constexpr int kReqAreaChange = 3288;
// A camera parameter status the core reports under this type too; answered like 8224/8226.
inline constexpr int kAnsCameraParamStatus = 8222;

// ---- Channel selections ----------------------------------------------------------------------

// A channel list of camera changes: 64 ints, -1 where no channel (no count word).
struct CameraChannelSlots {
  int32_t channel[kMaxChannels];
};
static_assert(sizeof(CameraChannelSlots) == 256);
static_assert(std::is_trivially_copyable_v<CameraChannelSlots>);

// ---- Stream settings ---------------------------------------------------------------------------

inline constexpr int kStreamResolutions = 24;

// 8204: the stream settings of one channel (620 bytes). A stateCode other than 0 means
// only the state is valid.
struct StreamSettingsAnswer {
  int32_t stateCode;
  int32_t chnid;
  int32_t main_res[2 * kStreamResolutions];  // (width, height) pairs; a zero member ends them
  int32_t main_framerate_max;
  int32_t main_framerate_min;
  int32_t main_bitrate_max;
  int32_t main_bitrate_min;
  int32_t mainVideoType;
  int32_t main_width;
  int32_t main_height;
  int32_t main_framerate;
  int32_t main_bitrate;
  int32_t main_iframe_interval;
  int32_t main_bitrate_ctrl;
  int32_t main_iframe_interval_min;
  int32_t main_iframe_interval_max;
  int32_t sub_res[2 * kStreamResolutions];
  int32_t sub_framerate_max;
  int32_t sub_framerate_min;
  int32_t sub_bitrate_max;
  int32_t sub_bitrate_min;
  int32_t subVideoType;
  int32_t sub_width;
  int32_t sub_height;
  int32_t sub_framerate;
  int32_t sub_bitrate;
  int32_t sub_iframe_interval;
  int32_t sub_bitrate_ctrl;
  int32_t sub_iframe_interval_min;
  int32_t sub_iframe_interval_max;
  int32_t subEnable;
  int32_t audioEnable;
  int32_t videoTypeEnable;
  int32_t ipc_type;
  int32_t mainStream;
  int32_t subStream;
  int32_t SupportSmartStream;
  int32_t SmartStream;
  int32_t SmartStreamLevel;
  int32_t SubSupportSmartStream;
  int32_t SubSmartStream;
  int32_t SubSmartStreamLevel;
  int32_t mainGop;
  int32_t subGop;
  int32_t thirdGop;
  int32_t unused[16];
};
static_assert(sizeof(StreamSettingsAnswer) == 620);
static_assert(offsetof(StreamSettingsAnswer, chnid) == 4 * 1);
static_assert(offsetof(StreamSettingsAnswer, main_res) == 4 * 2);
static_assert(offsetof(StreamSettingsAnswer, main_framerate_max) == 4 * 50);
static_assert(offsetof(StreamSettingsAnswer, mainVideoType) == 4 * 54);
static_assert(offsetof(StreamSettingsAnswer, main_width) == 4 * 55);
static_assert(offsetof(StreamSettingsAnswer, main_framerate) == 4 * 57);
static_assert(offsetof(StreamSettingsAnswer, main_bitrate_ctrl) == 4 * 60);
static_assert(offsetof(StreamSettingsAnswer, main_iframe_interval_min) == 4 * 61);
static_assert(offsetof(StreamSettingsAnswer, sub_res) == 4 * 63);
static_assert(offsetof(StreamSettingsAnswer, sub_framerate_max) == 4 * 111);
static_assert(offsetof(StreamSettingsAnswer, subVideoType) == 4 * 115);
static_assert(offsetof(StreamSettingsAnswer, sub_width) == 4 * 116);
static_assert(offsetof(StreamSettingsAnswer, sub_framerate) == 4 * 118);
static_assert(offsetof(StreamSettingsAnswer, sub_bitrate_ctrl) == 4 * 121);
static_assert(offsetof(StreamSettingsAnswer, sub_iframe_interval_min) == 4 * 122);
static_assert(offsetof(StreamSettingsAnswer, subEnable) == 4 * 124);
static_assert(offsetof(StreamSettingsAnswer, ipc_type) == 4 * 127);
static_assert(offsetof(StreamSettingsAnswer, mainStream) == 4 * 128);
static_assert(offsetof(StreamSettingsAnswer, SupportSmartStream) == 4 * 130);
static_assert(offsetof(StreamSettingsAnswer, SubSupportSmartStream) == 4 * 133);
static_assert(offsetof(StreamSettingsAnswer, mainGop) == 4 * 136);
static_assert(offsetof(StreamSettingsAnswer, unused) == 4 * 139);
static_assert(std::is_trivially_copyable_v<StreamSettingsAnswer>);

// Top-level keys only; the "main" and "sub" objects are picks by field name.
inline constexpr FieldDesc kStreamSettingsFields[] = {
    NVR_FIELD(StreamSettingsAnswer, stateCode, "stateCode"),
    NVR_FIELD(StreamSettingsAnswer, chnid, "id"),
    NVR_FIELD(StreamSettingsAnswer, main_res, nullptr),
    NVR_FIELD(StreamSettingsAnswer, main_framerate_max, nullptr),
    NVR_FIELD(StreamSettingsAnswer, main_framerate_min, nullptr),
    NVR_FIELD(StreamSettingsAnswer, main_bitrate_max, nullptr),
    NVR_FIELD(StreamSettingsAnswer, main_bitrate_min, nullptr),
    NVR_FIELD(StreamSettingsAnswer, mainVideoType, "mainVideoType"),
    NVR_FIELD(StreamSettingsAnswer, main_width, nullptr),
    NVR_FIELD(StreamSettingsAnswer, main_height, nullptr),
    NVR_FIELD(StreamSettingsAnswer, main_framerate, nullptr),
    NVR_FIELD(StreamSettingsAnswer, main_bitrate, nullptr),
    NVR_FIELD(StreamSettingsAnswer, main_iframe_interval, nullptr),
    NVR_FIELD(StreamSettingsAnswer, main_bitrate_ctrl, nullptr),
    NVR_FIELD(StreamSettingsAnswer, main_iframe_interval_min, nullptr),
    NVR_FIELD(StreamSettingsAnswer, main_iframe_interval_max, nullptr),
    NVR_FIELD(StreamSettingsAnswer, sub_res, nullptr),
    NVR_FIELD(StreamSettingsAnswer, sub_framerate_max, nullptr),
    NVR_FIELD(StreamSettingsAnswer, sub_framerate_min, nullptr),
    NVR_FIELD(StreamSettingsAnswer, sub_bitrate_max, nullptr),
    NVR_FIELD(StreamSettingsAnswer, sub_bitrate_min, nullptr),
    NVR_FIELD(StreamSettingsAnswer, subVideoType, "subVideoType"),
    NVR_FIELD(StreamSettingsAnswer, sub_width, nullptr),
    NVR_FIELD(StreamSettingsAnswer, sub_height, nullptr),
    NVR_FIELD(StreamSettingsAnswer, sub_framerate, nullptr),
    NVR_FIELD(StreamSettingsAnswer, sub_bitrate, nullptr),
    NVR_FIELD(StreamSettingsAnswer, sub_iframe_interval, nullptr),
    NVR_FIELD(StreamSettingsAnswer, sub_bitrate_ctrl, nullptr),
    NVR_FIELD(StreamSettingsAnswer, sub_iframe_interval_min, nullptr),
    NVR_FIELD(StreamSettingsAnswer, sub_iframe_interval_max, nullptr),
    NVR_FIELD(StreamSettingsAnswer, subEnable, "subEnable"),
    NVR_FIELD(StreamSettingsAnswer, audioEnable, "audioEnable"),
    NVR_FIELD(StreamSettingsAnswer, videoTypeEnable, "videoTypeEnable"),
    NVR_FIELD(StreamSettingsAnswer, ipc_type, "ipc_type"),
    NVR_FIELD(StreamSettingsAnswer, mainStream, "mainStream"),
    NVR_FIELD(StreamSettingsAnswer, subStream, "subStream"),
    NVR_FIELD(StreamSettingsAnswer, SupportSmartStream, "SupportSmartStream"),
    NVR_FIELD(StreamSettingsAnswer, SmartStream, "SmartStream"),
    NVR_FIELD(StreamSettingsAnswer, SmartStreamLevel, "SmartStreamLevel"),
    NVR_FIELD(StreamSettingsAnswer, SubSupportSmartStream, "SubSupportSmartStream"),
    NVR_FIELD(StreamSettingsAnswer, SubSmartStream, "SubSmartStream"),
    NVR_FIELD(StreamSettingsAnswer, SubSmartStreamLevel, "SubSmartStreamLevel"),
    NVR_FIELD(StreamSettingsAnswer, mainGop, "mainGop"),
    NVR_FIELD(StreamSettingsAnswer, subGop, "subGop"),
    NVR_FIELD(StreamSettingsAnswer, thirdGop, "thirdGop"),
};
inline constexpr RecordKind kStreamSettingsKind{
    .name = "stream_settings", NVR_KIND_FIELDS(StreamSettingsAnswer, kStreamSettingsFields)};
static_assert(record_kind_is_valid(kStreamSettingsKind));

// 3203: change the streams of the channels of the mask. -1 leaves a setting unchanged.
struct StreamChangeRequest {
  char mask[kMaxChannels];  // '1' at index n for channel n, else '0'
  int32_t zero0;
  int32_t transmitProtocol;
  int32_t syncTime;
  int32_t reserved0;
  int32_t videoTypeEnable;
  int32_t subEnable;
  int32_t fisheyeType;
  int32_t zero1;
  int32_t mainVideoType;
  int32_t mainResWidth;
  int32_t mainResHeight;
  int32_t mainFramerate;
  int32_t mainBitrate;
  int32_t IframeInterval;
  int32_t bitrateControl;
  int32_t SmartStream;
  int32_t SmartStreamLevel;
  int32_t recordtype;
  int32_t etframerate;
  int32_t etIframeinterval;
  int32_t etbitrate;
  int32_t zero2;
  int32_t subVideoType;
  int32_t subResWidth;
  int32_t subResHeight;
  int32_t subFramerate;
  int32_t subBitrate;
  int32_t subIframeInterval;
  int32_t SubBitrateControl;
  int32_t SubSmartStream;
  int32_t SubSmartStreamLevel;
  int32_t reserved1[4];
};
static_assert(sizeof(StreamChangeRequest) == 204);
static_assert(offsetof(StreamChangeRequest, zero0) == 64);
static_assert(offsetof(StreamChangeRequest, transmitProtocol) == 68);
static_assert(offsetof(StreamChangeRequest, syncTime) == 72);
static_assert(offsetof(StreamChangeRequest, videoTypeEnable) == 80);
static_assert(offsetof(StreamChangeRequest, fisheyeType) == 88);
static_assert(offsetof(StreamChangeRequest, mainVideoType) == 96);
static_assert(offsetof(StreamChangeRequest, mainResWidth) == 100);
static_assert(offsetof(StreamChangeRequest, mainFramerate) == 108);
static_assert(offsetof(StreamChangeRequest, IframeInterval) == 116);
static_assert(offsetof(StreamChangeRequest, bitrateControl) == 120);
static_assert(offsetof(StreamChangeRequest, SmartStream) == 124);
static_assert(offsetof(StreamChangeRequest, recordtype) == 132);
static_assert(offsetof(StreamChangeRequest, etbitrate) == 144);
static_assert(offsetof(StreamChangeRequest, zero2) == 148);
static_assert(offsetof(StreamChangeRequest, subVideoType) == 152);
static_assert(offsetof(StreamChangeRequest, subResWidth) == 156);
static_assert(offsetof(StreamChangeRequest, subFramerate) == 164);
static_assert(offsetof(StreamChangeRequest, subIframeInterval) == 172);
static_assert(offsetof(StreamChangeRequest, SubBitrateControl) == 176);
static_assert(offsetof(StreamChangeRequest, SubSmartStream) == 180);
static_assert(offsetof(StreamChangeRequest, reserved1) == 188);
static_assert(std::is_trivially_copyable_v<StreamChangeRequest>);

// Every setting reads -1 ("no change") until a request sets it; the mask and the zero
// words stay zero.
void stream_change_defaults(void* record, RecordKey key);

// JSON keys of the single-channel change; the batch renames some (see its pick). The
// four sizes of the main stream must not be negative when a single change sends them.
inline constexpr FieldDesc kStreamChangeFields[] = {
    NVR_FIELD(StreamChangeRequest, transmitProtocol, "transmitProtocol"),
    NVR_FIELD(StreamChangeRequest, syncTime, "syncTime"),
    NVR_FIELD(StreamChangeRequest, reserved0, nullptr),
    NVR_FIELD(StreamChangeRequest, videoTypeEnable, "videoTypeEnable"),
    NVR_FIELD(StreamChangeRequest, subEnable, "subEnable"),
    NVR_FIELD(StreamChangeRequest, fisheyeType, "fisheyeType"),
    NVR_FIELD(StreamChangeRequest, mainVideoType, "mainVideoType"),
    NVR_FIELD(StreamChangeRequest, mainResWidth, "mainResWidth").range(0, INT32_MAX),
    NVR_FIELD(StreamChangeRequest, mainResHeight, "mainResHeight").range(0, INT32_MAX),
    NVR_FIELD(StreamChangeRequest, mainFramerate, "mainFramerate").range(0, INT32_MAX),
    NVR_FIELD(StreamChangeRequest, mainBitrate, "mainBitrate").range(0, INT32_MAX),
    NVR_FIELD(StreamChangeRequest, IframeInterval, "IframeInterval"),
    NVR_FIELD(StreamChangeRequest, bitrateControl, "bitrateControl"),
    NVR_FIELD(StreamChangeRequest, SmartStream, "SmartStream"),
    NVR_FIELD(StreamChangeRequest, SmartStreamLevel, "SmartStreamLevel"),
    NVR_FIELD(StreamChangeRequest, recordtype, "recordtype"),
    NVR_FIELD(StreamChangeRequest, etframerate, "etframerate"),
    NVR_FIELD(StreamChangeRequest, etIframeinterval, "etIframeinterval"),
    NVR_FIELD(StreamChangeRequest, etbitrate, "etbitrate"),
    NVR_FIELD(StreamChangeRequest, subVideoType, "subVideoType"),
    NVR_FIELD(StreamChangeRequest, subResWidth, "subResWidth"),
    NVR_FIELD(StreamChangeRequest, subResHeight, "subResHeight"),
    NVR_FIELD(StreamChangeRequest, subFramerate, "subFramerate"),
    NVR_FIELD(StreamChangeRequest, subBitrate, "subBitrate"),
    NVR_FIELD(StreamChangeRequest, subIframeInterval, "subIframeInterval"),
    NVR_FIELD(StreamChangeRequest, SubBitrateControl, "SubBitrateControl"),
    NVR_FIELD(StreamChangeRequest, SubSmartStream, "SubSmartStream"),
    NVR_FIELD(StreamChangeRequest, SubSmartStreamLevel, "SubSmartStreamLevel"),
    NVR_FIELD(StreamChangeRequest, reserved1, nullptr),
};
inline constexpr RecordKind kStreamChangeKind{
    .name = "stream_change",
    NVR_KIND_FIELDS(StreamChangeRequest, kStreamChangeFields),
    .defaults = stream_change_defaults};
static_assert(record_kind_is_valid(kStreamChangeKind));

// 8203: the channels whose cameras took the change, bit n for channel n.
struct StreamChangeAnswer {
  uint32_t low;
  uint32_t high;
};
static_assert(sizeof(StreamChangeAnswer) == 8);
static_assert(std::is_trivially_copyable_v<StreamChangeAnswer>);

// ---- Image enhancement ----------------------------------------------------------------------

// The enhancement record (228 bytes), answered after the channel id by 8221 and sent after
// a channel list by 3280.
struct ImageEnhancement {
  int32_t smartir;
  int32_t whiteblance;
  int32_t focusmode;
  int32_t antiblurry;
  int32_t wdrenable;
  int32_t wdrlevel;
  int32_t wdrstarthour;
  int32_t wdrstartminute;
  int32_t wdrstophour;
  int32_t wdrstopminute;
  int32_t regiontype;
  int32_t hlcmode;
  int32_t exclude;
  int32_t exposemode;
  char exposeregion[64];
  int32_t modelType;
  int32_t imageschemode;
  int32_t hlcday;
  int32_t hlcnight;
  int32_t redgain;
  int32_t bluegain;
  int32_t defogmode;
  int32_t defoglevel;
  int32_t dismode;
  int32_t exposetime;
  int32_t exposegain;
  int32_t af_level;  // "wdraflevel" when read, "aflevel" when written
  int32_t hlclevel;
  int32_t exposurectrl;
  int32_t enblur;
  int32_t deblur;
  char sdkversion[32];
  int32_t lensType;
  int32_t reduceVideoStuttering;
  int32_t unused;
};
static_assert(sizeof(ImageEnhancement) == 228);
static_assert(offsetof(ImageEnhancement, exposemode) == 4 * 13);
static_assert(offsetof(ImageEnhancement, exposeregion) == 4 * 14);
static_assert(offsetof(ImageEnhancement, modelType) == 4 * 30);
static_assert(offsetof(ImageEnhancement, dismode) == 4 * 38);
static_assert(offsetof(ImageEnhancement, af_level) == 4 * 41);
static_assert(offsetof(ImageEnhancement, deblur) == 4 * 45);
static_assert(offsetof(ImageEnhancement, sdkversion) == 4 * 46);
static_assert(offsetof(ImageEnhancement, lensType) == 4 * 54);
static_assert(offsetof(ImageEnhancement, unused) == 4 * 56);
static_assert(std::is_trivially_copyable_v<ImageEnhancement>);

// Keys as the getter answers them, in record order.
inline constexpr FieldDesc kImageEnhancementFields[] = {
    NVR_FIELD(ImageEnhancement, smartir, "smartir"),
    NVR_FIELD(ImageEnhancement, whiteblance, "whiteblance"),
    NVR_FIELD(ImageEnhancement, focusmode, "focusmode"),
    NVR_FIELD(ImageEnhancement, antiblurry, "antiblurry"),
    NVR_FIELD(ImageEnhancement, wdrenable, "wdrenable"),
    NVR_FIELD(ImageEnhancement, wdrlevel, "wdrlevel"),
    NVR_FIELD(ImageEnhancement, wdrstarthour, "wdrstarthour"),
    NVR_FIELD(ImageEnhancement, wdrstartminute, "wdrstartminute"),
    NVR_FIELD(ImageEnhancement, wdrstophour, "wdrstophour"),
    NVR_FIELD(ImageEnhancement, wdrstopminute, "wdrstopminute"),
    NVR_FIELD(ImageEnhancement, regiontype, "regiontype"),
    NVR_FIELD(ImageEnhancement, hlcmode, "hlcmode"),
    NVR_FIELD(ImageEnhancement, exclude, "exclude"),
    NVR_FIELD(ImageEnhancement, exposemode, "exposemode"),
    NVR_FIELD(ImageEnhancement, exposeregion, "exposeregion"),
    NVR_FIELD(ImageEnhancement, modelType, "modelType"),
    NVR_FIELD(ImageEnhancement, imageschemode, "imageschemode"),
    NVR_FIELD(ImageEnhancement, hlcday, "hlcday"),
    NVR_FIELD(ImageEnhancement, hlcnight, "hlcnight"),
    NVR_FIELD(ImageEnhancement, redgain, "redgain"),
    NVR_FIELD(ImageEnhancement, bluegain, "bluegain"),
    NVR_FIELD(ImageEnhancement, defogmode, "defogmode"),
    NVR_FIELD(ImageEnhancement, defoglevel, "defoglevel"),
    NVR_FIELD(ImageEnhancement, dismode, "dismode"),
    NVR_FIELD(ImageEnhancement, exposetime, "exposetime"),
    NVR_FIELD(ImageEnhancement, exposegain, "exposegain"),
    NVR_FIELD(ImageEnhancement, af_level, "wdraflevel"),
    NVR_FIELD(ImageEnhancement, hlclevel, "hlclevel"),
    NVR_FIELD(ImageEnhancement, exposurectrl, "exposurectrl"),
    NVR_FIELD(ImageEnhancement, enblur, "enblur"),
    NVR_FIELD(ImageEnhancement, deblur, "deblur"),
    NVR_FIELD(ImageEnhancement, sdkversion, "sdkversion"),
    NVR_FIELD(ImageEnhancement, lensType, "lensType"),
    NVR_FIELD(ImageEnhancement, reduceVideoStuttering, "reduceVideoStuttering"),
    NVR_FIELD(ImageEnhancement, unused, nullptr),
};
inline constexpr RecordKind kImageEnhancementKind{
    .name = "image_enhancement", NVR_KIND_FIELDS(ImageEnhancement, kImageEnhancementFields)};
static_assert(record_kind_is_valid(kImageEnhancementKind));

// 8221: the channel id and its record.
struct ImageEnhancementAnswer {
  int32_t chnid;
  ImageEnhancement image;
};
static_assert(sizeof(ImageEnhancementAnswer) == 232);
static_assert(std::is_trivially_copyable_v<ImageEnhancementAnswer>);

// 3280: the record for the listed channels.
struct ImageEnhancementChange {
  CameraChannelSlots channels;
  ImageEnhancement image;
};
static_assert(sizeof(ImageEnhancementChange) == 484);
static_assert(offsetof(ImageEnhancementChange, image) == 256);
static_assert(std::is_trivially_copyable_v<ImageEnhancementChange>);

// ---- Image display --------------------------------------------------------------------------

// The display record (356 bytes), after the channel id in 8223 and 3224. Members without a
// getter key are written only.
struct ImageDisplay {
  int32_t colorkiller;
  int32_t modestarthour;
  int32_t modestartminute;
  int32_t modestophour;
  int32_t modestopminute;
  int32_t exposurectrl;
  int32_t lighttype;
  int32_t mirctrl;
  int32_t localdisplay;
  int32_t ircutaddaytonight;
  int32_t ircutadnighttoday;
  int32_t corridormode;
  int32_t imagerotation;
  int32_t saveCorridor;
  int32_t unused0;
  int32_t smartIRType;
  int32_t nearIRLevel;
  int32_t farIRLevel;
  int32_t midIRLevel;
  int32_t lencorrect;
  int32_t smartIrMath;
  int32_t smartIrLimit;
  char chipninterface[64];
  int32_t nearSmartirValue;
  int32_t farSmartirValue;
  int32_t midSmartirValue;
  int32_t lenCorrectType;
  int32_t fovadjust;
  char sensortype[16];
  char productmodel[32];
  char softversion[32];
  int32_t smokeddomecover;
  int32_t white_strength;  // "smartwhitestrength" when read, "whiteLedLevel" when written
  int32_t dnRefocus;
  char sdkversion[32];
  int32_t structuretype;
  int32_t keepCorrectAspectRatio;
  int32_t dayNightSens;
  int32_t nightDaySens;
  int32_t zoomLimit;
  int32_t unused1;
  int32_t whiteledLightCtrl;
  int32_t whiteledSensitivity;
  int32_t whiteledDelay;
  int32_t whiteledStart;
  int32_t whiteledStop;
  int32_t whiteledBrightnessCtrl;
  int32_t whiteledBrightness;
  int32_t unused2[2];
};
static_assert(sizeof(ImageDisplay) == 356);
static_assert(offsetof(ImageDisplay, saveCorridor) == 4 * 13);
static_assert(offsetof(ImageDisplay, smartIRType) == 4 * 15);
static_assert(offsetof(ImageDisplay, chipninterface) == 4 * 22);
static_assert(offsetof(ImageDisplay, nearSmartirValue) == 4 * 38);
static_assert(offsetof(ImageDisplay, sensortype) == 4 * 43);
static_assert(offsetof(ImageDisplay, productmodel) == 4 * 47);
static_assert(offsetof(ImageDisplay, softversion) == 4 * 55);
static_assert(offsetof(ImageDisplay, smokeddomecover) == 4 * 63);
static_assert(offsetof(ImageDisplay, white_strength) == 4 * 64);
static_assert(offsetof(ImageDisplay, sdkversion) == 4 * 66);
static_assert(offsetof(ImageDisplay, structuretype) == 4 * 74);
static_assert(offsetof(ImageDisplay, zoomLimit) == 4 * 78);
static_assert(offsetof(ImageDisplay, whiteledLightCtrl) == 4 * 80);
static_assert(offsetof(ImageDisplay, whiteledBrightness) == 4 * 86);
static_assert(std::is_trivially_copyable_v<ImageDisplay>);

// Keys as the getter answers them; written-only members have none.
inline constexpr FieldDesc kImageDisplayFields[] = {
    NVR_FIELD(ImageDisplay, colorkiller, "colorkiller"),
    NVR_FIELD(ImageDisplay, modestarthour, "modestarthour"),
    NVR_FIELD(ImageDisplay, modestartminute, "modestartminute"),
    NVR_FIELD(ImageDisplay, modestophour, "modestophour"),
    NVR_FIELD(ImageDisplay, modestopminute, "modestopminute"),
    NVR_FIELD(ImageDisplay, exposurectrl, "exposurectrl"),
    NVR_FIELD(ImageDisplay, lighttype, "lighttype"),
    NVR_FIELD(ImageDisplay, mirctrl, "mirctrl"),
    NVR_FIELD(ImageDisplay, localdisplay, "localdisplay"),
    NVR_FIELD(ImageDisplay, ircutaddaytonight, "ircutaddaytonight"),
    NVR_FIELD(ImageDisplay, ircutadnighttoday, "ircutadnighttoday"),
    NVR_FIELD(ImageDisplay, corridormode, "corridormode"),
    NVR_FIELD(ImageDisplay, imagerotation, "imagerotation"),
    NVR_FIELD(ImageDisplay, saveCorridor, nullptr),
    NVR_FIELD(ImageDisplay, unused0, nullptr),
    NVR_FIELD(ImageDisplay, smartIRType, "smartIRType"),
    NVR_FIELD(ImageDisplay, nearIRLevel, "nearIRLevel"),
    NVR_FIELD(ImageDisplay, farIRLevel, "farIRLevel"),
    NVR_FIELD(ImageDisplay, midIRLevel, "midIRLevel"),
    NVR_FIELD(ImageDisplay, lencorrect, "lencorrect"),
    NVR_FIELD(ImageDisplay, smartIrMath, "smartIrMath"),
    NVR_FIELD(ImageDisplay, smartIrLimit, "smartIrLimit"),
    NVR_FIELD(ImageDisplay, chipninterface, "chipninterface"),
    NVR_FIELD(ImageDisplay, nearSmartirValue, "nearSmartirValue"),
    NVR_FIELD(ImageDisplay, farSmartirValue, "farSmartirValue"),
    NVR_FIELD(ImageDisplay, midSmartirValue, "midSmartirValue"),
    NVR_FIELD(ImageDisplay, lenCorrectType, "lenCorrectType"),
    NVR_FIELD(ImageDisplay, fovadjust, "fovadjust"),
    NVR_FIELD(ImageDisplay, sensortype, "sensortype"),
    NVR_FIELD(ImageDisplay, productmodel, "productmodel"),
    NVR_FIELD(ImageDisplay, softversion, "softversion"),
    NVR_FIELD(ImageDisplay, smokeddomecover, "smokeddomecover"),
    NVR_FIELD(ImageDisplay, white_strength, "smartwhitestrength"),
    NVR_FIELD(ImageDisplay, dnRefocus, "dnRefocus"),
    NVR_FIELD(ImageDisplay, sdkversion, "sdkversion"),
    NVR_FIELD(ImageDisplay, structuretype, "structuretype"),
    NVR_FIELD(ImageDisplay, keepCorrectAspectRatio, "keepCorrectAspectRatio"),
    NVR_FIELD(ImageDisplay, dayNightSens, "dayNightSens"),
    NVR_FIELD(ImageDisplay, nightDaySens, "nightDaySens"),
    NVR_FIELD(ImageDisplay, zoomLimit, "zoomLimit"),
    NVR_FIELD(ImageDisplay, unused1, nullptr),
    NVR_FIELD(ImageDisplay, whiteledLightCtrl, nullptr),
    NVR_FIELD(ImageDisplay, whiteledSensitivity, nullptr),
    NVR_FIELD(ImageDisplay, whiteledDelay, nullptr),
    NVR_FIELD(ImageDisplay, whiteledStart, nullptr),
    NVR_FIELD(ImageDisplay, whiteledStop, nullptr),
    NVR_FIELD(ImageDisplay, whiteledBrightnessCtrl, nullptr),
    NVR_FIELD(ImageDisplay, whiteledBrightness, nullptr),
    NVR_FIELD(ImageDisplay, unused2, nullptr),
};
inline constexpr RecordKind kImageDisplayKind{.name = "image_display",
                                              NVR_KIND_FIELDS(ImageDisplay, kImageDisplayFields)};
static_assert(record_kind_is_valid(kImageDisplayKind));

// 8223 (answer) and 3224 (change): the channel id and its record.
struct ImageDisplayMessage {
  int32_t chnid;
  ImageDisplay image;
};
static_assert(sizeof(ImageDisplayMessage) == 360);
static_assert(std::is_trivially_copyable_v<ImageDisplayMessage>);

// ---- Common parameters ----------------------------------------------------------------------

// 3225 (query) and 3226 (change).
struct CommonParamRequest {
  int32_t id;
  char pagename[64];
  char httpname[64];
  char key[128];
  char value[128];
  int32_t no_page;  // 1: a query without a page name
};
static_assert(sizeof(CommonParamRequest) == 392);
static_assert(offsetof(CommonParamRequest, pagename) == 4);
static_assert(offsetof(CommonParamRequest, httpname) == 68);
static_assert(offsetof(CommonParamRequest, key) == 132);
static_assert(offsetof(CommonParamRequest, value) == 260);
static_assert(offsetof(CommonParamRequest, no_page) == 388);
static_assert(std::is_trivially_copyable_v<CommonParamRequest>);

inline constexpr FieldDesc kCommonParamFields[] = {
    NVR_FIELD(CommonParamRequest, id, "id"),
    NVR_FIELD(CommonParamRequest, pagename, "pagename"),
    NVR_FIELD(CommonParamRequest, httpname, "httpname"),
    NVR_FIELD(CommonParamRequest, key, "key"),
    NVR_FIELD(CommonParamRequest, value, "value"),
    NVR_FIELD(CommonParamRequest, no_page, nullptr),
};
inline constexpr RecordKind kCommonParamKind{
    .name = "common_param", NVR_KIND_FIELDS(CommonParamRequest, kCommonParamFields)};
static_assert(record_kind_is_valid(kCommonParamKind));

// 8225: the parameter's value.
struct CommonParamAnswer {
  int32_t id;
  int32_t reserved;
  char pagename[64];
  char httpname[64];
  char key[128];
  char value[128];
};
static_assert(sizeof(CommonParamAnswer) == 392);
static_assert(offsetof(CommonParamAnswer, pagename) == 8);
static_assert(offsetof(CommonParamAnswer, httpname) == 72);
static_assert(offsetof(CommonParamAnswer, key) == 136);
static_assert(offsetof(CommonParamAnswer, value) == 264);
static_assert(std::is_trivially_copyable_v<CommonParamAnswer>);

inline constexpr FieldDesc kCommonParamAnswerFields[] = {
    NVR_FIELD(CommonParamAnswer, id, "id"),
    NVR_FIELD(CommonParamAnswer, reserved, nullptr),
    NVR_FIELD(CommonParamAnswer, pagename, "pagename"),
    NVR_FIELD(CommonParamAnswer, httpname, "httpname"),
    NVR_FIELD(CommonParamAnswer, key, "key"),
    NVR_FIELD(CommonParamAnswer, value, "value"),
};
inline constexpr RecordKind kCommonParamAnswerKind{
    .name = "common_param_answer", NVR_KIND_FIELDS(CommonParamAnswer, kCommonParamAnswerFields)};
static_assert(record_kind_is_valid(kCommonParamAnswerKind));

// ---- Image modes ------------------------------------------------------------------------

inline constexpr int kImageModes = 7;
inline constexpr int kEffectivePeriods = 10;

struct ImageMode {
  int32_t in_use;  // 1 when set from the web
  int32_t enable;
  int32_t startHour;
  int32_t startMinute;
  int32_t endHour;
  int32_t endMinute;
  int32_t exposureLevel;
  int32_t minShutter;
  int32_t maxShutter;
  int32_t gainLevel;
  int32_t irCutLatency;
  int32_t irCutState;
  int32_t irLedState;
  int32_t colorMode;
};
static_assert(sizeof(ImageMode) == 56);
static_assert(std::is_trivially_copyable_v<ImageMode>);

struct EffectivePeriod {
  char startTime[32];
  char endTime[32];
  int32_t templateId;
};
static_assert(sizeof(EffectivePeriod) == 68);
static_assert(offsetof(EffectivePeriod, templateId) == 64);
static_assert(std::is_trivially_copyable_v<EffectivePeriod>);

// 8278 (answer to 3278) and 3279 (change): the image-mode table of a channel.
struct ImageModeTable {
  int32_t chnid;
  ImageMode mode[kImageModes];
  int32_t hasSche;
  EffectivePeriod effective[kEffectivePeriods];
  int32_t zero;
};
static_assert(sizeof(ImageModeTable) == 1084);
static_assert(offsetof(ImageModeTable, mode) == 4);
static_assert(offsetof(ImageModeTable, hasSche) == 396);
static_assert(offsetof(ImageModeTable, effective) == 400);
static_assert(offsetof(ImageModeTable, zero) == 1080);
static_assert(std::is_trivially_copyable_v<ImageModeTable>);

// Not `inline`: kinds that other kinds nest keep constant addresses in every build (see
// linkage.h).
constexpr FieldDesc kImageModeFields[] = {
    NVR_FIELD(ImageMode, in_use, nullptr),
    NVR_FIELD(ImageMode, enable, "enable"),
    NVR_FIELD(ImageMode, startHour, "startHour"),
    NVR_FIELD(ImageMode, startMinute, "startMinute"),
    NVR_FIELD(ImageMode, endHour, "endHour"),
    NVR_FIELD(ImageMode, endMinute, "endMinute"),
    NVR_FIELD(ImageMode, exposureLevel, "exposureLevel"),
    NVR_FIELD(ImageMode, minShutter, "minShutter"),
    NVR_FIELD(ImageMode, maxShutter, "maxShutter"),
    NVR_FIELD(ImageMode, gainLevel, "gainLevel"),
    NVR_FIELD(ImageMode, irCutLatency, "irCutLatency"),
    NVR_FIELD(ImageMode, irCutState, "irCutState"),
    NVR_FIELD(ImageMode, irLedState, "irLedState"),
    NVR_FIELD(ImageMode, colorMode, "colorMode"),
};
constexpr RecordKind kImageModeKind{.name = "image_mode",
                                    NVR_KIND_FIELDS(ImageMode, kImageModeFields)};

constexpr FieldDesc kEffectivePeriodFields[] = {
    NVR_FIELD(EffectivePeriod, startTime, "startTime"),
    NVR_FIELD(EffectivePeriod, endTime, "endTime"),
    NVR_FIELD(EffectivePeriod, templateId, "templateId"),
};
constexpr RecordKind kEffectivePeriodKind{.name = "effective_period",
                                          NVR_KIND_FIELDS(EffectivePeriod, kEffectivePeriodFields)};

// The batch change's body keys: "image" (up to 7 modes), "hasSche", "effective" (up to 10).
constexpr FieldDesc kImageModeTableFields[] = {
    NVR_FIELD(ImageModeTable, chnid, nullptr),
    NVR_NESTED(ImageModeTable, mode, "image", kImageModeKind),
    NVR_FIELD(ImageModeTable, hasSche, "hasSche"),
    NVR_NESTED(ImageModeTable, effective, "effective", kEffectivePeriodKind),
    NVR_FIELD(ImageModeTable, zero, nullptr),
};
constexpr RecordKind kImageModeTableKind{.name = "image_mode_table",
                                         NVR_KIND_FIELDS(ImageModeTable, kImageModeTableFields)};
static_assert(record_kind_is_valid(kImageModeTableKind));

// ---- Detection areas ---------------------------------------------------------------------

inline constexpr int kCameraAreas = 16;

struct CameraArea {
  int32_t enable;
  int32_t left;
  int32_t top;
  int32_t right;
  int32_t bottom;
};
static_assert(sizeof(CameraArea) == 20);
static_assert(std::is_trivially_copyable_v<CameraArea>);

constexpr FieldDesc kCameraAreaFields[] = {
    NVR_FIELD(CameraArea, enable, "enable"), NVR_FIELD(CameraArea, left, "left"),
    NVR_FIELD(CameraArea, top, "top"),       NVR_FIELD(CameraArea, right, "right"),
    NVR_FIELD(CameraArea, bottom, "bottom"),
};
constexpr RecordKind kCameraAreaKind{.name = "camera_area",
                                     NVR_KIND_FIELDS(CameraArea, kCameraAreaFields)};

// 3288: the areas for the listed channels (valid ids packed from the start, rest 0).
struct CameraAreaChange {
  int32_t channel[kMaxChannels];
  int32_t enable;
  int32_t count;
  CameraArea area[kCameraAreas];
};
static_assert(sizeof(CameraAreaChange) == 584);
static_assert(offsetof(CameraAreaChange, enable) == 256);
static_assert(offsetof(CameraAreaChange, count) == 260);
static_assert(offsetof(CameraAreaChange, area) == 264);
static_assert(std::is_trivially_copyable_v<CameraAreaChange>);

constexpr FieldDesc kCameraAreaChangeFields[] = {
    NVR_FIELD(CameraAreaChange, channel, nullptr),
    NVR_FIELD(CameraAreaChange, enable, "enable"),
    NVR_FIELD(CameraAreaChange, count, nullptr),
    NVR_NESTED(CameraAreaChange, area, "area", kCameraAreaKind),
};
constexpr RecordKind kCameraAreaChangeKind{
    .name = "camera_area_change", NVR_KIND_FIELDS(CameraAreaChange, kCameraAreaChangeFields)};
static_assert(record_kind_is_valid(kCameraAreaChangeKind));

// 8271: the areas of one channel.
struct CameraAreaAnswer {
  int32_t chnid;
  int32_t enable;
  int32_t reserved;
  char sdkversion[32];
  CameraArea area[kCameraAreas];
};
static_assert(sizeof(CameraAreaAnswer) == 364);
static_assert(offsetof(CameraAreaAnswer, enable) == 4);
static_assert(offsetof(CameraAreaAnswer, sdkversion) == 12);
static_assert(offsetof(CameraAreaAnswer, area) == 44);
static_assert(std::is_trivially_copyable_v<CameraAreaAnswer>);

constexpr FieldDesc kCameraAreaAnswerFields[] = {
    NVR_FIELD(CameraAreaAnswer, chnid, nullptr),
    NVR_FIELD(CameraAreaAnswer, enable, "enable"),
    NVR_FIELD(CameraAreaAnswer, reserved, nullptr),
    NVR_FIELD(CameraAreaAnswer, sdkversion, "sdkversion"),
    NVR_NESTED(CameraAreaAnswer, area, nullptr, kCameraAreaKind),
};
constexpr RecordKind kCameraAreaAnswerKind{
    .name = "camera_area_answer", NVR_KIND_FIELDS(CameraAreaAnswer, kCameraAreaAnswerFields)};
static_assert(record_kind_is_valid(kCameraAreaAnswerKind));

// 3284: the area the camera should show.
struct CameraAreaSelect {
  int32_t chan_id;
  int32_t area_id;  // 0 to 16
};
static_assert(sizeof(CameraAreaSelect) == 8);
static_assert(std::is_trivially_copyable_v<CameraAreaSelect>);
inline constexpr int kCameraAreaIdMax = 16;

// ---- Day schedules of the camera ---------------------------------------------------------------

// The web fills days 0 to 6 and slots 0 to 9 of a change.
inline constexpr int kCameraScheduleDays = 7;
inline constexpr int kCameraScheduleSlots = 10;
// The getters show this many slots per day (the first schedule fewer).
inline constexpr int kCameraScheduleShown = 12;

// 8273 and 8277: the channel id and 8 day rows of the schedule block (linkage.h).
struct CameraScheduleAnswer {
  int32_t chnid;
  ScheduleDay day[kScheduleDays];
};
static_assert(sizeof(CameraScheduleAnswer) == 26180);
static_assert(offsetof(CameraScheduleAnswer, day) == 4);
static_assert(std::is_trivially_copyable_v<CameraScheduleAnswer>);

// 3281 and 3283. Sent cut at kCameraScheduleChangeLength (the answer size), so it ends
// inside the eighth day row, which the web never fills.
struct CameraScheduleChange {
  CameraChannelSlots channels;
  ScheduleDay day[kScheduleDays];
};
static_assert(sizeof(CameraScheduleChange) == 26432);
static_assert(offsetof(CameraScheduleChange, day) == 256);
static_assert(std::is_trivially_copyable_v<CameraScheduleChange>);
inline constexpr int kCameraScheduleChangeLength = 26180;

// A slot of the exposure schedule.
struct ExposureSlot {
  char startTime[32];
  char endTime[32];
  int32_t actionType;
  int32_t exposureTime;
  int32_t gainLevel;
};
static_assert(sizeof(ExposureSlot) == 76);
static_assert(offsetof(ExposureSlot, actionType) == 64);
static_assert(std::is_trivially_copyable_v<ExposureSlot>);

struct ExposureDay {
  ExposureSlot slot[kScheduleSections];
};
static_assert(sizeof(ExposureDay) == 3648);

// Table order is the order of a request's entry array [start, end, action, exposure, gain].
constexpr FieldDesc kExposureSlotFields[] = {
    NVR_FIELD(ExposureSlot, startTime, "startTime"),
    NVR_FIELD(ExposureSlot, endTime, "endTime"),
    NVR_FIELD(ExposureSlot, actionType, "actionType"),
    NVR_FIELD(ExposureSlot, exposureTime, "exposureTime"),
    NVR_FIELD(ExposureSlot, gainLevel, "gainLevel"),
};
constexpr RecordKind kExposureSlotKind{.name = "exposure_slot",
                                       NVR_KIND_FIELDS(ExposureSlot, kExposureSlotFields)};
static_assert(record_kind_is_valid(kExposureSlotKind));

// 8275: the channel id and 8 day rows of the exposure schedule.
struct ExposureScheduleAnswer {
  int32_t chnid;
  ExposureDay day[kScheduleDays];
};
static_assert(sizeof(ExposureScheduleAnswer) == 29188);
static_assert(std::is_trivially_copyable_v<ExposureScheduleAnswer>);

// 3282, sent cut at the answer size like the other schedules.
struct ExposureScheduleChange {
  CameraChannelSlots channels;
  ExposureDay day[kScheduleDays];
};
static_assert(sizeof(ExposureScheduleChange) == 29440);
static_assert(offsetof(ExposureScheduleChange, day) == 256);
static_assert(std::is_trivially_copyable_v<ExposureScheduleChange>);
inline constexpr int kExposureScheduleChangeLength = 29188;
