// The privacy-mask kind's field tables and its named store operations.
#include "camera/privacy_mask_record.h"

#include <iterator>

#include "linkage.h"

namespace {

constexpr FieldDesc kAreaFields[] = {
    NVR_FIELD(PrivacyArea, area_id, "area_id"),
    NVR_FIELD(PrivacyArea, enable, "enable"),
    NVR_FIELD(PrivacyArea, start_x, "start_x"),
    NVR_FIELD(PrivacyArea, start_y, "start_y"),
    NVR_FIELD(PrivacyArea, area_width, "area_width"),
    NVR_FIELD(PrivacyArea, area_height, "area_height"),
    NVR_FIELD(PrivacyArea, width, "width"),
    NVR_FIELD(PrivacyArea, height, "height"),
    NVR_FIELD(PrivacyArea, fill_color, "fill_color"),
    NVR_FIELD(PrivacyArea, reserved, nullptr),
};
constexpr RecordKind kAreaKind{.name = "privacy_area", NVR_KIND_FIELDS(PrivacyArea, kAreaFields)};

constexpr FieldDesc kMaskFields[] = {
    NVR_FIELD(PrivacyMaskRecord, id, "id").range(0, kMaxChannels - 1),
    NVR_NESTED(PrivacyMaskRecord, area, "area", kAreaKind),
};

}  // namespace

constexpr RecordKind kPrivacyMaskKind{.name = "privacy_mask",
                                      NVR_KIND_FIELDS(PrivacyMaskRecord, kMaskFields),
                                      .key = {"id", 0, kMaxChannels - 1}};
static_assert(record_kind_is_valid(kPrivacyMaskKind));

int read_privacy_mask(const char* store, PrivacyMaskRecord* rec, int channel, bool* stored) {
  return store_read(store, kPrivacyMaskKind, channel, rec, stored);
}

int write_privacy_mask(const char* store, const PrivacyMaskRecord* rec) {
  return rec != nullptr ? store_write(store, kPrivacyMaskKind, rec->id, rec) : -1;
}

int read_privacy_masks(const char* store, PrivacyMaskRecord* recs, int capacity, int* count) {
  return store_list(store, kPrivacyMaskKind, recs, capacity, count);
}
