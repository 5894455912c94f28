// Record verification: before anything is written, every present record of an image is
// read back from the file and checked against the CRC-32 its header gives.
#pragma once

// Checks the image at `path` (used as given): the header as read_image_header checks it,
// then for each present record (offset and size non-zero) its name, which must be the
// name of its index, and its CRC-32, printing the record's details first. Stops at the
// first record that fails. 0 when every present record is intact, else -1 after a
// message.
int UPFW_verify(const char* path);
