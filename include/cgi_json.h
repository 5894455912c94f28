// Small JSON getters that the handlers share, and the plate-recognition type test.
//
// Implemented in links/cgi_json.cpp.
#pragma once

struct json_object;

// Parses `text` and stores the integer value of `key` in `out`. 0 on success; -1 for a
// null argument, text that is not valid JSON, or a missing key. The parsed object is
// released in every case.
int on_cgi_get_value_by_json(const char* text, const char* key, int* out);

// The integer value of `key` in a parsed object: 0, or -1 when an argument is null or
// the key is missing (or holds null).
int on_cgi_get_int_from_json(json_object* object, const char* key, int* out);

// The text of `key` copied into `buffer`, cut to size - 1 characters and terminated:
// 0, or -1 when an argument is null, size is below 1 or the key is missing (or holds
// null). A non-string value is copied in its JSON text form.
int on_cgi_get_string_from_json(json_object* object, const char* key, char* buffer, int size);

// 1 for the analysis types 11 to 14 (the recorder's own plate recognition), else 0.
int on_cgi_is_dv_lpr(int type);
