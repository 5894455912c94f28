// Camera points in two frames: the camera's own (its width x height) and the 460 x 260
// frame the web pages draw on. The smart-event pages of both forms (the record the core
// relays and the record the camera answers itself) convert with these, so a line or a box
// drawn on one page reads back the same on the other.
#pragma once

#include <cstddef>
#include <cstdint>

#include "field_table.h"

struct json_object;

inline constexpr int kVcaWebWidth = 460;
inline constexpr int kVcaWebHeight = 260;

// A camera coordinate of a frame dimension `camera` (width or height) in the web frame of
// dimension `web`, rounded; 0 when the camera dimension is 0. Computed in 64 bits so that
// large values cannot overflow; every result below 1 becomes 1.
int vca_to_web(int value, int camera, int web);
// A web-frame coordinate in the camera's frame, rounded, at least 1.
int vca_from_web(int value, int camera, int web);

// A line position text "a;b;c;d" (at most 31 characters read) as four integers; missing
// or unreadable numbers are 0.
void vca_parse_position(const char* text, int32_t out[4]);
// The four integers as "%d;%d;%d;%d", cut to the buffer.
void vca_format_position(const int32_t in[4], char* out, std::size_t size);

// The camera's frame, as its record gives it (either side may be 0 in an answer).
struct VcaFrame {
  int width;
  int height;
};

// A line's two points, in the order of the position text.
struct VcaPoints {
  int32_t start_x;
  int32_t start_y;
  int32_t end_x;
  int32_t end_y;
};
static_assert(sizeof(VcaPoints) == 16);

// The web position text `text` (null: all 0) as camera points, each at least 1.
[[nodiscard]] VcaPoints vca_points_from_web(const char* text, VcaFrame frame);
// The camera points as a new JSON string "%d;%d;%d;%d" in the web frame.
json_object* vca_points_to_web(const VcaPoints& points, VcaFrame frame);

// Boxes: a pick of a record's box fields whose keys alternate x and y values (start x,
// start y, width, height, ...). A field is a single int or an int array of boxes; `slot`
// picks the element of an array (and must be 0 for single ints).
//
// Sets each picked field from the key of the JSON value `box` (a key absent, or `box` no
// object: 0), converted from the web frame and at least 1, as a line without its position
// text. Does nothing when `box` is null (no box given).
void vca_box_from_web(const FieldKeys& pick, json_object* box, uint32_t slot, VcaFrame frame,
                      void* record);
// The picked values of box `slot` converted to the web frame, added to `object` under their
// keys.
void vca_box_to_web(const FieldKeys& pick, const void* record, uint32_t slot, VcaFrame frame,
                    json_object* object);
