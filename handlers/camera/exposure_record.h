// The exposure list of a channel (store kind "exposure"): up to 140 pairs of exposure time
// and gain level that the exposure pages keep on the recorder, one list per channel 0 to 63.
// Everything else about a camera's image lives in the camera and is asked for each time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "field_table.h"
#include "linkage.h"

inline constexpr int kMaxExposurePairs = 140;

struct ExposurePair {
  int32_t exposureTime;
  int32_t gainLevel;
};
static_assert(sizeof(ExposurePair) == 8);
static_assert(std::is_trivially_copyable_v<ExposurePair>);

// Not `inline`: a nested kind keeps a constant address in every build (see linkage.h).
constexpr FieldDesc kExposurePairFields[] = {
    NVR_FIELD(ExposurePair, exposureTime, "exposureTime"),
    NVR_FIELD(ExposurePair, gainLevel, "gainLevel"),
};
constexpr RecordKind kExposurePairKind{.name = "exposure_pair",
                                       NVR_KIND_FIELDS(ExposurePair, kExposurePairFields)};

struct ExposureList {
  int32_t channel;  // 0 to 63
  int32_t count;    // pairs in use, 0 to 140
  ExposurePair pair[kMaxExposurePairs];
};
static_assert(sizeof(ExposureList) == 1128);
static_assert(offsetof(ExposureList, pair) == 8);
static_assert(std::is_trivially_copyable_v<ExposureList>);

extern const RecordKind kExposureListKind;

// The stored list of `channel` (a list never written has no pairs); *count gets the pairs
// in use, never more than 140 or `capacity`. 0, or -1 for a channel outside 0 to 63, a
// null argument or a store failure.
int read_exposure(const char* store, int channel, ExposurePair* pairs, int capacity, int* count);
// Stores the first `count` pairs (0 to 140) as the list of `channel`. 0, or -1 (nothing
// stored).
int write_exposure(const char* store, int channel, const ExposurePair* pairs, int count);
