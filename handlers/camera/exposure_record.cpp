// The exposure list kind and its named store operations.
#include "camera/exposure_record.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "dvdb.h"

namespace {

constexpr FieldDesc kExposureListFields[] = {
    NVR_FIELD(ExposureList, channel, "channel").range(0, kMaxChannels - 1),
    NVR_FIELD(ExposureList, count, nullptr).range(0, kMaxExposurePairs),
    NVR_NESTED(ExposureList, pair, "exposure", kExposurePairKind),
};

}  // namespace

constexpr RecordKind kExposureListKind{.name = "exposure",
                                       NVR_KIND_FIELDS(ExposureList, kExposureListFields),
                                       .key = {"channel", 0, kMaxChannels - 1}};
static_assert(record_kind_is_valid(kExposureListKind));

int read_exposure(const char* store, int channel, ExposurePair* pairs, int capacity, int* count) {
  if (pairs == nullptr || count == nullptr || capacity < 0 || channel < 0 ||
      channel >= kMaxChannels)
    return -1;
  *count = 0;
  ExposureList list;
  if (store_read(store, kExposureListKind, channel, &list) != 0) return -1;
  // The stored count is store contents: never trust it past the list or the caller's room.
  const int n = std::clamp(list.count, 0, std::min(kMaxExposurePairs, capacity));
  std::copy_n(list.pair, n, pairs);
  *count = n;
  return 0;
}

int write_exposure(const char* store, int channel, const ExposurePair* pairs, int count) {
  if (channel < 0 || channel >= kMaxChannels || count < 0 || count > kMaxExposurePairs ||
      (pairs == nullptr && count > 0))
    return -1;
  ExposureList list;
  record_reset(kExposureListKind, &list, channel);
  list.count = count;
  if (count > 0) std::copy_n(pairs, count, list.pair);
  return store_write(store, kExposureListKind, channel, &list);
}
