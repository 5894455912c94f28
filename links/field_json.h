// Conversion between store records and the web's JSON, driven by the kind's field table
// (field_table.h): handlers never read or write a record's fields one by one.
//
// Conversion rules (json-c's): an integer field takes the value's integer (a text that
// is not a number gives 0, a number in a text its value, a real is cut) saturated at the
// field's type; a text field takes the value's text (numbers as their text) cut to the
// field's size minus one; integer arrays and nested records take JSON arrays (extra
// elements ignored, missing ones left as they were).
#pragma once

#include "field_table.h"

struct json_object;

// Applies the keys of `object` that name fields of the kind; fields whose key is absent
// keep their value. Returns how many keys were applied (0 or more), or -1 when an
// argument is null or `object` is not a JSON object.
int record_from_json(const RecordKind& kind, json_object* object, void* record);

// Adds a key for every field that has one, in table order. 0, or -1 when an argument is
// null or `object` is not a JSON object.
int record_to_json(const RecordKind& kind, const void* record, json_object* object);

// The same for a pick (pick_keys, pick_renamed): exactly its fields, in its order, each
// under its key.
int record_from_json(const FieldKeys& pick, json_object* object, void* record);
int record_to_json(const FieldKeys& pick, const void* record, json_object* object);

// Checks `object` before it is applied: every key in `required` is present, and every
// present field key holds a value of the field's type (integers: a number, boolean, or a
// text holding a whole integer; texts: any value but an object or array; arrays: arrays
// of such integers; nested records: arrays of objects checked the same way, or of bare values)
// within the field's range when it has one. 0 when it passes; -1 otherwise, with *bad_key (when
// given) set to the first offending key.
int record_validate(const RecordKind& kind, json_object* object,
                    const char* const* required = nullptr, int required_count = 0,
                    const char** bad_key = nullptr);
// The same, looking only at the picked fields: a request's other keys, whatever they hold,
// are not its check's business (pages post back whole objects a getter gave them).
int record_validate(const FieldKeys& pick, json_object* object,
                    const char* const* required = nullptr, int required_count = 0,
                    const char** bad_key = nullptr);
