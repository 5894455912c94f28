// The two response writers. No status line is ever written: every answer is an
// HTTP success and carries its outcome in the body.
//
// Implemented in front/response.cpp.
#pragma once

inline constexpr int kCgiText = 0;
inline constexpr int kCgiJson = 1;

// kind 0: text header, kind 1: JSON header, other kinds: no header; then the body,
// then a flush. A null body writes nothing and returns -1; otherwise 0.
int cgi_writeback_webserver(int kind, const char* body);
// kind 0: "CGI ERROR" as text; kind 1: {status:"CGI ERROR"} as JSON; others: nothing.
int cgi_error_to_webserver(int kind);
