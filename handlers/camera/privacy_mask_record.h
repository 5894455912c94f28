// The stored privacy masks of a channel (store kind "privacy_mask"): 24 areas blanked on
// the camera's picture. Deleting a channel clears them; the privacy-mask pages list and
// set them through this header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "dvdb.h"
#include "field_table.h"

inline constexpr int kPrivacyAreas = 24;

struct PrivacyArea {
  int32_t area_id;
  int32_t enable;
  int32_t start_x;
  int32_t start_y;
  int32_t area_width;
  int32_t area_height;
  int32_t width;  // drawing frame the area was drawn in
  int32_t height;
  int32_t fill_color;
  int32_t reserved[4];
};
struct PrivacyMaskRecord {
  int32_t id;  // channel 0 to 63
  PrivacyArea area[kPrivacyAreas];
};
static_assert(sizeof(PrivacyArea) == 52);
static_assert(sizeof(PrivacyMaskRecord) == 1252);
static_assert(offsetof(PrivacyMaskRecord, area) == 4);
static_assert(std::is_trivially_copyable_v<PrivacyMaskRecord>);

extern const RecordKind kPrivacyMaskKind;

// The channel's masks (all zero when never stored; *stored, when given, tells which).
// 0, or -1 for a channel outside 0 to 63 or a store failure.
int read_privacy_mask(const char* store, PrivacyMaskRecord* rec, int channel,
                      bool* stored = nullptr);
// Stores rec at rec->id. 0, or -1 (nothing stored).
int write_privacy_mask(const char* store, const PrivacyMaskRecord* rec);
// The stored records in channel order (channels never stored are left out).
int read_privacy_masks(const char* store, PrivacyMaskRecord* recs, int capacity, int* count);
