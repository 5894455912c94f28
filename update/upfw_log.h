// The result file "/mnt/nand/upfw.log" that reports a run's outcome to the rest of the
// system: the result code on the first line, the result text on the second.
#pragma once

// Writes the result file (mode 0666, replaced) and echoes `text` to standard error.
// The number of text bytes written (at most 255), or -1 after a message.
int UPFW_log(int code, const char* text);
