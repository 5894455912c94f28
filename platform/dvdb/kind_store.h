// Typed store access: a record struct bound once to its kind, then read, written, listed and
// copied through the generic store (dvdb.h) without a named wrapper per kind.
//
//   NVR_STORE_KIND(HolidayRecord, kHolidayKind);      // beside the kind, in its header
//
//   HolidayRecord h;
//   store_read(kStoreMain, 4, &h);                    // slot 4 (defaults when never written)
//   store_write(kStoreMain, h);                       // under the key fields of h
//   HolidayRecord all[kMaxHolidays]; int n = 0;
//   store_list(kStoreMain, all, &n);                  // never more than the array holds
//   store_copy_mask(kStoreMain, h, mask);             // to every channel of the mask
//
// The binding refuses to build when the struct's size differs from the kind's, so a record
// can never be read into a buffer of another layout. Results are those of dvdb.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <type_traits>

#include "dvdb.h"

template <class T>
struct StoreKindOf;

// Binds struct T to its kind (a constant of field_table.h). At namespace scope.
#define NVR_STORE_KIND(T, kind_constant)                                              \
  template <>                                                                         \
  struct StoreKindOf<T> {                                                             \
    static constexpr const RecordKind& kind = kind_constant;                          \
  };                                                                                  \
  static_assert(sizeof(T) == (kind_constant).size && std::is_trivially_copyable_v<T>, \
                #T " is not the layout of its kind")

template <class T>
concept StoredRecord = requires {
  StoreKindOf<T>::kind;
};

template <StoredRecord T>
constexpr const RecordKind& kind_of() {
  return StoreKindOf<T>::kind;
}

template <StoredRecord T>
int store_read(const char* store, RecordKey key, T* record, bool* stored = nullptr,
               const char* table = nullptr) {
  return store_read(store, kind_of<T>(), key, record, stored, table);
}

template <StoredRecord T>
int store_write(const char* store, RecordKey key, const T& record, const char* table = nullptr) {
  return store_write(store, kind_of<T>(), key, &record, table);
}

// Stores the record under its own key fields.
template <StoredRecord T>
int store_write(const char* store, const T& record, const char* table = nullptr) {
  return store_write(store, kind_of<T>(), record_key_of(kind_of<T>(), &record), &record, table);
}

template <StoredRecord T>
int store_list(const char* store, std::span<T> records, int* count, const char* table = nullptr) {
  // A span of more than INT32_MAX records cannot occur: the kinds' key ranges are small.
  return store_list(store, kind_of<T>(), records.data(), static_cast<int>(records.size()), count,
                    table);
}
template <StoredRecord T, std::size_t N>
int store_list(const char* store, T (&records)[N], int* count, const char* table = nullptr) {
  return store_list(store, std::span<T>(records), count, table);
}

template <StoredRecord T>
int store_copy_mask(const char* store, const T& record, uint64_t mask, int64_t second = 0,
                    const char* table = nullptr) {
  return store_copy_mask(store, kind_of<T>(), &record, mask, second, table);
}

// Stores records[c] under its own key for every index c selected by the mask (bit c, c
// below the span's size); -1 at the first failure (the earlier ones stay stored).
template <StoredRecord T>
int store_write_selected(const char* store, std::span<const T> records, uint64_t mask,
                         const char* table = nullptr) {
  for (std::size_t c = 0; c < records.size() && c < 64; ++c)
    if ((mask >> c & 1u) != 0 && store_write(store, records[c], table) != 0) return -1;
  return 0;
}
